#!/usr/bin/env python3
"""Runs the built k330ctl as a user would, against the simulated controller.

Usage: test_k330ctl.py PATH/TO/k330ctl
"""

import itertools
import json
import os
import pty
import re
import subprocess
import sys
import tempfile
import time
import unittest

K330CTL = None

# Image layout (config/tk440.h) and the offsets of the fields the tests change.
SIZE = 402
AMP_GAIN = 118 + 1  # LF amplifier gain step
LINK_N2 = 144 + 2  # link word N2 (little-endian)
SERIAL = 182  # serial number word of the information area

# Exit statuses of k330ctl.
OK, DIFFERENT, USAGE, NO_CONTROLLER, TRANSFER, INVALID, SAVE = range(7)


def crc_table():
    entries = [0xA001, 0xF001, 0xD801, 0xCC01, 0xC601, 0xC301, 0xC181, 0xC0C1]
    table = []
    for i in range(256):
        e = 0
        for bit in range(8):
            if i & (0x80 >> bit):
                w = entries[bit]
                e ^= ((w << 8) | (w >> 8)) & 0xFFFF
        table.append(e)
    return table


TABLE = crc_table()


def checksum(data):
    c = 0xFFFF
    for b in data:
        c = ((c << 8) ^ TABLE[(c >> 8) ^ b]) & 0xFFFF
    return (~c) & 0xFFFF


def store_checksum(image):
    c = checksum(image[2:])
    image[0] = c & 0xFF
    image[1] = c >> 8


def read_bytes(name):
    with open(name, "rb") as f:
        return f.read()


def write_bytes(name, data):
    with open(name, "wb") as f:
        f.write(data)


# The messages are compared in Russian, the default: the environment names no language, whatever
# the desktop running the tests uses.
RUSSIAN_ENV = {k: v for k, v in os.environ.items() if k not in ("LANGUAGE", "LC_MESSAGES")}
RUSSIAN_ENV["LC_ALL"] = "C.UTF-8"
# The operation records of the runs go to a folder of the tests' own, never into the user's.
DATA_HOME = tempfile.TemporaryDirectory()
os.environ["XDG_DATA_HOME"] = RUSSIAN_ENV["XDG_DATA_HOME"] = DATA_HOME.name
os.environ.pop("K330_RECORDS", None)
RUSSIAN_ENV.pop("K330_RECORDS", None)


def run(*args, check=None, env=None):
    p = subprocess.run([K330CTL, *args], capture_output=True, text=True, timeout=120,
                       env=RUSSIAN_ENV if env is None else env)
    if check is not None and p.returncode != check:
        raise AssertionError("k330ctl %s: status %d, expected %d\nstdout:\n%s\nstderr:\n%s"
                             % (" ".join(args), p.returncode, check, p.stdout, p.stderr))
    return p


class Ctl(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        self.state = self.path("controller.state")

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def new(self, name, model="RA"):
        f = self.path(name)
        run("new", "--model", model, "-o", f, check=OK)
        return f

    def altered(self, source, name, changes):
        """A copy of source with bytes changed at the given offsets and a valid checksum."""
        image = bytearray(read_bytes(source))
        for offset, value in changes.items():
            image[offset] = value
        store_checksum(image)
        f = self.path(name)
        write_bytes(f, image)
        return f

    def sim(self, *args):
        return ("--simulate", "--sim-state", self.state, *args)

    # --- Must show -------------------------------------------------------------------------

    def test_new_write_read_diff_shows_no_difference(self):
        a = self.new("a.mcd")
        # A changed section, so that the write really changes the controller.
        b = self.altered(a, "b.mcd", {AMP_GAIN: 10, LINK_N2: 7})
        w = run("write", *self.sim(b), check=OK)
        self.assertIn("Ошибочных 0 байтов", w.stderr)
        run("read", *self.sim("-o", self.path("back.mcd")), check=OK)
        d = run("diff", b, self.path("back.mcd"), check=OK)
        self.assertEqual(d.stdout, "")
        # The read really came from the controller: against the unchanged image it differs in
        # exactly the two changed fields.
        d = run("diff", "--json", a, self.path("back.mcd"), check=DIFFERENT)
        fields = {(x["section"], x["field"]) for x in json.loads(d.stdout)["differences"]}
        self.assertEqual(fields, {("Усилитель НЧ", "gain"), ("Протокол", "n2")})

    def test_mode_10_writes_the_information_area_and_user_mode_does_not(self):
        a = self.new("a.mcd")
        b = self.altered(a, "b.mcd", {SERIAL: 42})
        run("write", *self.sim(b), check=OK)
        run("read", *self.sim("-o", self.path("r1.mcd")), check=OK)
        d = run("diff", b, self.path("r1.mcd"), check=DIFFERENT)
        self.assertIn("Информация / serial: 0042 | 0000", d.stdout)
        run("write", *self.sim("--mode", "10", b), check=OK)
        run("read", *self.sim("-o", self.path("r2.mcd")), check=OK)
        run("diff", b, self.path("r2.mcd"), check=OK)

    def test_verify_names_the_altered_field(self):
        a = self.new("a.mcd")
        run("write", *self.sim(a), check=OK)
        run("verify", *self.sim(a), check=OK)
        b = self.altered(a, "b.mcd", {AMP_GAIN: 10})
        v = run("verify", *self.sim(b), check=DIFFERENT)
        self.assertIn("Усилитель НЧ / gain", v.stdout)
        # The altered byte and the checksum word, as the write's read-back would count them.
        self.assertRegex(v.stderr, "Ошибочных [1-3] байтов")
        v = run("verify", "--json", *self.sim(b), check=DIFFERENT)
        result = json.loads(v.stdout)
        self.assertFalse(result["equal"])
        self.assertEqual([(x["section"], x["field"]) for x in result["differences"]],
                         [("Усилитель НЧ", "gain")])

    def test_invalid_files(self):
        a = self.new("a.mcd")
        image = read_bytes(a)
        short = self.path("short.mcd")
        write_bytes(short, image[:100])
        corrupt = self.path("corrupt.mcd")
        damaged = bytearray(image)
        damaged[AMP_GAIN] ^= 1  # checksum left as it was
        write_bytes(corrupt, damaged)
        missing = self.path("missing.mcd")
        cases = [
            (short, " не соответсвует типу контроллера."),
            (corrupt, " поврежден."),
            (missing, " не удалось открыть."),
        ]
        for name, tail in cases:
            for args in (("show", name), ("write", *self.sim(name)), ("verify", *self.sim(name)),
                         ("diff", a, name)):
                with self.subTest(file=os.path.basename(name), command=args[0]):
                    p = run(*args, check=INVALID)
                    self.assertIn("Файл " + name + tail, p.stderr)
        # Nothing reached the controller.
        self.assertFalse(os.path.exists(self.state) and read_bytes(self.state)[AMP_GAIN]
                         == damaged[AMP_GAIN])

    def test_no_controller(self):
        a = self.new("a.mcd")
        out = self.path("out.mcd")
        write_bytes(out, b"previous")
        cases = [
            (("read", "-o", out), "Ошибка. Чтение конфигурации прервано."),
            (("write", a), "Ошибка. Запись конфигурации прервана."),
            (("verify", a), "Ошибка. Чтение конфигурации прервано."),
        ]
        for args, message in cases:
            with self.subTest(command=args[0]):
                p = run(*args, check=NO_CONTROLLER)
                self.assertIn(message, p.stderr)
        # The failed read left the old file as it was.
        self.assertEqual(read_bytes(out), b"previous")
        rom = self.path("fw.rom")
        write_bytes(rom, bytes(256))
        p = run("load-firmware", rom, check=NO_CONTROLLER)
        self.assertIn("Ошибка. Загрузка ПО прервана.", p.stderr)
        p = run("list", check=NO_CONTROLLER)
        self.assertEqual(p.stdout, "")
        self.assertIn("Контроллеры на шине USB не найдены.", p.stderr)
        self.assertEqual(json.loads(run("list", "--json", check=NO_CONTROLLER).stdout), [])

    def test_list_several_controllers(self):
        # Each simulated controller at its own port path, with a processor serial of its own.
        args = ("list", "--simulate", "--sim-count", "3", "--sim-model", "RB")
        entries = json.loads(run(*args, "--json", check=OK).stdout)
        self.assertEqual([e["path"] for e in entries], ["1-1", "1-2", "1-3"])
        self.assertEqual(len({e["serial"] for e in entries}), 3)
        for e in entries:
            self.assertRegex(e["serial"], "^0x[0-9A-F]+$")
            self.assertEqual({k: v for k, v in e.items() if k not in ("path", "serial")},
                             {"model": "K-330RB", "cpuId": "0x42", "firmware": "2.1"})
        self.assertEqual(run(*args, check=OK).stdout.splitlines(),
                         ["%s: K-330RB, Процессор S/N: %s, Процессор ID: 0x42, Версия ПО: 2.1"
                          % (e["path"], e["serial"]) for e in entries])

    def test_each_simulated_controller_keeps_its_own_state(self):
        # The first in the named file as ever, the second in the name with ".2".
        sim = ("--simulate", "--sim-count", "2", "--sim-state", self.state)
        run("read", *sim, "--device", "1-1", "-o", self.path("before.mcd"), check=OK)
        first, second = read_bytes(self.state), read_bytes(self.state + ".2")
        b = self.altered(self.new("a.mcd"), "b.mcd", {AMP_GAIN: 10, LINK_N2: 7})
        run("write", *sim, "--device", "1-2", b, check=OK)
        self.assertEqual(read_bytes(self.state), first)
        self.assertNotEqual(read_bytes(self.state + ".2"), second)
        run("read", *sim, "--device", "1-2", "-o", self.path("back.mcd"), check=OK)
        run("diff", b, self.path("back.mcd"), check=OK)

    def test_transfer_failures(self):
        # A controller whose configuration memory fails its checksum: the read saves nothing.
        a = self.new("a.mcd")
        run("write", *self.sim(a), check=OK)
        memory = bytearray(read_bytes(self.state))
        memory[AMP_GAIN] ^= 0x55
        write_bytes(self.state, memory)
        out = self.path("out.mcd")
        p = run("read", *self.sim("-o", out), check=TRANSFER)
        self.assertRegex(p.stderr, "Конфигурация повреждена, CRC: 0x[0-9a-f]+!=0x[0-9a-f]+")
        self.assertFalse(os.path.exists(out))
        self.assertEqual(os.listdir(self.dir).count("out.mcd"), 0)
        # An image of the other model is refused by the write.
        b = self.new("b.mcd", "RB")
        p = run("write", *self.sim("--sim-model", "RA", b), check=TRANSFER)
        self.assertIn("Конфигурация не соответсвует типу контроллера.", p.stderr)
        self.assertIn("Ошибка. Запись конфигурации прервана.", p.stderr)

    def test_show_decodes_the_defaults_of_each_model(self):
        expected_pages = {
            "RA": ["Вход микрофона", "Выход приемника", "Выход гарнитуры", "Выход аксессуарный",
                   "Вокодер", "Усилитель НЧ", "Регистратор", "Соединение", "Кодек",
                   "Входной усилитель", "Выходной усилитель", "Протокол"],
            "RB": ["Вход приемника", "Выход микрофона", "Вокодер", "Регистратор", "Соединение",
                   "Кодек", "Входной усилитель", "Выходной усилитель", "Протокол"],
        }
        for model, pages in expected_pages.items():
            with self.subTest(model=model):
                f = self.new(model + ".mcd", model)
                data = json.loads(run("show", "--json", f, check=OK).stdout)
                sections = {s["section"]: {x["name"]: (x["value"], x.get("unit", ""))
                                           for x in s["fields"]} for s in data["sections"]}
                self.assertEqual([s["section"] for s in data["sections"]],
                                 ["Идентификация", "Информация"] + pages)
                ident = sections["Идентификация"]
                self.assertEqual(ident["model"][0], "K-330" + model)
                self.assertEqual(ident["version"][0], "2.1")
                self.assertEqual(sections["Информация"]["serial"][0], "0000")
                # Defaults the model headers state: recorder PTT on at level 127, and on the
                # model with the LF amplifier its 15 dB gain with sigma-delta modulation.
                rec = sections["Регистратор"]
                self.assertEqual(rec["ptt"][0], "on")
                self.assertEqual(rec["level.value"][0], "127")
                if model == "RA":
                    self.assertEqual(sections["Усилитель НЧ"]["gain"], ("15", "dB"))
                    self.assertEqual(sections["Усилитель НЧ"]["modulation"][0], "СДМ")
                # The text listing carries the same fields.
                text = run("show", f, check=OK).stdout
                for title, fields in sections.items():
                    self.assertIn("[%s]" % title, text)
                    for name, (value, unit) in fields.items():
                        self.assertIn(("  %s: %s %s" % (name, value, unit)).rstrip(), text)

    def test_show_follows_the_bytes(self):
        a = self.new("a.mcd")
        # Gain step 0 is the bottom of the LF amplifier's table; step 10 lies between.
        for step in (0, 10, 42):
            f = self.altered(a, "g%d.mcd" % step, {AMP_GAIN: step})
            data = json.loads(run("show", "--json", f, check=OK).stdout)
            amp = next(s for s in data["sections"] if s["section"] == "Усилитель НЧ")
            gains = [x["value"] for x in amp["fields"] if x["name"] == "gain"]
            with self.subTest(step=step):
                self.assertEqual(len(gains), 1)
                if step == 42:
                    self.assertEqual(gains[0], "15")
                else:
                    self.assertNotEqual(gains[0], "15")

    # --- Usage, help, progress, firmware --------------------------------------------------------

    def test_usage_errors_and_help(self):
        for args in (("frobnicate",), ("show",), ("diff", "x"), ("new", "--model", "RC", "-o",
                     self.path("x.mcd")), ("write", "--mode", "7", "x"), ("read",),
                     ("read", "--simulate", "--sim-model", "RZ", "-o", self.path("y.mcd")),
                     ("list", "--simulate", "--sim-count", "0"), ("list", "x"), ()):
            with self.subTest(args=args):
                run(*args, check=USAGE)
        self.assertFalse(os.path.exists(self.path("x.mcd")))
        for command in ("new", "show", "diff", "read", "write", "verify", "load-firmware", "list"):
            with self.subTest(command=command):
                p = run(command, "--help", check=OK)
                self.assertTrue(p.stdout.startswith("Usage: k330ctl " + command))
                self.assertIn("Exit status:", p.stdout)
        main = run("--help", check=OK).stdout
        for status in range(7):
            self.assertIn("  %d  " % status, main)

    def test_progress_lines_when_not_a_terminal(self):
        a = self.new("a.mcd")
        p = run("write", *self.sim(a), check=OK)
        lines = p.stderr.splitlines()
        self.assertIn("Контроллер К-330RA, загрузка конфигурации.", lines)
        self.assertIn("182/182", lines)
        self.assertNotIn("\r", p.stderr)
        j = run("write", "--json", *self.sim(a), check=OK)
        self.assertEqual(json.loads(j.stdout)["differing"], 0)

    def test_save_failure_keeps_no_partial_file(self):
        target = os.path.join(self.path("no-such-dir"), "a.mcd")
        p = run("new", "--model", "RA", "-o", target, check=SAVE)
        self.assertIn("Файл " + target + " не удалось открыть.", p.stderr)
        p = run("read", *self.sim("-o", target), check=SAVE)
        self.assertFalse(os.path.exists(target))

    def test_load_firmware(self):
        rom = self.path("fw.rom")
        write_bytes(rom, bytes((i * 7) & 0xFF for i in range(1024)))
        trace = self.path("usb.log")
        p = run("load-firmware", "--simulate", "--usb-trace", trace, rom, check=OK)
        self.assertIn("Проверка загруженного ПО выполнена. Ошибочных 0 байтов", p.stderr)
        self.assertIn("ПО загружено.", p.stderr)
        self.assertGreater(os.path.getsize(trace), 0)
        run("load-firmware", "--simulate", self.path("none.rom"), check=INVALID)

    def test_trace_of_several_controllers_names_each(self):
        trace = self.path("usb.log")
        run("write", "--simulate", "--sim-count", "2", "--all", "--no-backup", "--usb-trace",
            trace, self.new("a.mcd"), check=OK)
        paths = {re.match(r"^\S+ \S+ \[(\S+)\] Ep", l).group(1)
                 for l in open(trace, encoding="latin-1").read().splitlines()}
        self.assertEqual(paths, {"1-1", "1-2"})

    def load(self, on_terminal):  # standard error of a 100 KB firmware load, and its seconds
        rom = self.path("fw.rom")
        write_bytes(rom, bytes((i * 13) & 0xFF for i in range(100 * 1024)))
        master, slave = pty.openpty() if on_terminal else (None, subprocess.PIPE)
        start = time.monotonic()
        p = subprocess.Popen([K330CTL, "load-firmware", "--simulate", rom], env=RUSSIAN_ENV,
                             stdout=subprocess.DEVNULL, stderr=slave)
        if not on_terminal:
            out = p.communicate(timeout=120)[1]
        else:
            os.close(slave)
            out = b""
            while True:
                try:
                    chunk = os.read(master, 65536)
                except OSError:  # the terminal closes with the process
                    chunk = b""
                if not chunk:
                    break
                out += chunk
            os.close(master)
        self.assertEqual(p.wait(timeout=120), OK)
        return out.decode().replace("\r\n", "\n"), time.monotonic() - start

    def test_progress_with_and_without_a_terminal(self):
        text, _ = self.load(False)
        stages = re.findall(r"(?:^\d+/\d+\n)+", text, re.M)  # the count lines of each stage
        self.assertEqual(len(stages), 2)  # loading and checking
        for lines in stages:  # at most one line a tenth, the last at the end
            counts = [tuple(l.split("/")) for l in lines.split()]
            self.assertLessEqual(len(counts), 10)
            self.assertEqual(counts[-1][0], counts[-1][1])
        text, seconds = self.load(True)
        bars = re.findall(r"\[[#.]{40}\] (\d+)/(\d+)", text)
        # At most ten a second, besides the first of each stage and the one under each line;
        # each stage's full bar once.
        self.assertLessEqual(len(bars), 10 * seconds + 2 * len(stages) + text.count("\n"))
        self.assertEqual(len([b for b in bars if b[0] == b[1]]), len(stages))

    def test_help_of_each_command_in_both_languages(self):
        statuses = {"new": "026", "show": "025", "diff": "0125", "read": "02346", "list": "023",
                    "write": "012345", "verify": "012345", "load-firmware": "012345"}
        for (command, expected), lang in itertools.product(statuses.items(), ("ru", "en")):
            with self.subTest(command=command, lang=lang):
                p = run("--lang", lang, command, "--help", check=OK)
                self.assertTrue(p.stdout.startswith("Usage: k330ctl " + command))
                listed = p.stdout.split("Exit status:\n")[1]
                self.assertEqual("".join(re.findall(r"^  (\d)  ", listed, re.M)), expected)
                self.assertEqual(re.search("[\u0400-\u04FF]", p.stdout) is not None, lang == "ru")
                if lang == "ru":  # every option described in Russian
                    for line in re.findall(r"^  -.*$", p.stdout, re.M):
                        self.assertRegex(re.split(r"\s{2,}", line.strip(), 1)[1],
                                         "[\u0400-\u04FF]")
        self.assertNotRegex(run("--lang", "en", "--help", check=OK).stdout, "[\u0400-\u04FF]")

    def test_diff_of_two_models_compares_what_they_share(self):
        p = run("diff", "--json", self.new("a.mcd"), self.new("b.mcd", "RB"), check=DIFFERENT)
        self.assertIn("K-330RA и K-330RB", p.stderr)
        diffs = json.loads(p.stdout)["differences"]
        self.assertIn({"section": "Идентификация", "field": "model", "a": "K-330RA",
                       "b": "K-330RB"}, diffs)
        one_model = {"Вход микрофона", "Усилитель НЧ", "Вход приемника", "Выход микрофона"}
        self.assertFalse([d for d in diffs if d["section"] in one_model or d["field"] == "bytes"])

    def test_last_lines_of_verify_and_without_a_controller(self):
        a = self.new("a.mcd")
        p = run("verify", "--simulate", a, check=OK)
        self.assertNotIn("Проверка загруженной конфигурации", p.stderr)
        self.assertIn("ничего не записано. Ошибочных 0 байтов", p.stderr)
        for lang, remedy in (("ru", "подключите|udev|закройте"), ("en", "attach|udev|close")):
            p = run("--lang", lang, "verify", a, check=NO_CONTROLLER)
            self.assertRegex(p.stderr.splitlines()[-1], remedy)


class Language(unittest.TestCase):
    """English from --lang en or an English desktop; Russian by default and for scripts."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def desktop(self, lang):
        env = dict(RUSSIAN_ENV)
        del env["LC_ALL"]
        env["LANG"] = lang
        return env

    def assertNoCyrillic(self, text):
        self.assertNotRegex(text, "[\u0400-\u04FF]")

    def test_choice_of_language(self):
        f = self.path("a.mcd")
        english = "New configuration created for controller K-330RA"
        russian = "Создана новая конфигурация контроллера K-330RA"
        cases = [  # arguments before the command, environment, expected message
            ((), RUSSIAN_ENV, russian),
            (("--lang", "en"), RUSSIAN_ENV, english),
            (("--lang=en",), RUSSIAN_ENV, english),
            ((), self.desktop("en_US.UTF-8"), english),
            ((), self.desktop("de_DE.UTF-8"), english),
            ((), self.desktop("ru_RU.UTF-8"), russian),
            ((), self.desktop("C.UTF-8"), russian),
            ((), self.desktop("POSIX"), russian),
            (("--lang", "ru"), self.desktop("en_US.UTF-8"), russian),
        ]
        for before, env, message in cases:
            with self.subTest(args=before, lang=env.get("LANG"), all=env.get("LC_ALL")):
                p = run(*before, "new", "--model", "RA", "-o", f, check=OK, env=env)
                self.assertIn(message, p.stderr)
        # After the command's name as well; an unknown language is a usage error.
        p = run("new", "--model", "RA", "-o", f, "--lang", "en", check=OK)
        self.assertIn(english, p.stderr)
        run("--lang", "fr", "new", "--model", "RA", "-o", self.path("b.mcd"), check=USAGE)
        self.assertFalse(os.path.exists(self.path("b.mcd")))

    def test_english_messages_and_listings(self):
        a = self.path("a.mcd")
        run("new", "--model", "RA", "-o", a, check=OK)
        state = self.path("controller.state")
        sim = ("--simulate", "--sim-state", state)
        missing = self.path("missing.mcd")
        for args in (("write", *sim, a), ("read", *sim, "-o", self.path("r.mcd")),
                     ("verify", *sim, a), ("show", missing), ("write", *sim, missing)):
            with self.subTest(command=args[0]):
                p = run("--lang", "en", *args)
                self.assertNoCyrillic(p.stderr)
                self.assertNoCyrillic(p.stdout)
        p = run("--lang", "en", "show", missing, check=INVALID)
        self.assertIn("File " + missing + " could not be opened.", p.stderr)
        # The listing reads in English; the fields for scripts stay as they are.
        text = run("--lang", "en", "show", a, check=OK).stdout
        self.assertNoCyrillic(text)
        self.assertIn("[LF amplifier]", text)
        self.assertIn("  modulation: SDM", text)
        self.assertEqual(run("--lang", "en", "show", "--json", a, check=OK).stdout,
                         run("show", "--json", a, check=OK).stdout)
        b = self.path("b.mcd")
        image = bytearray(read_bytes(a))
        image[AMP_GAIN] = 10
        store_checksum(image)
        write_bytes(b, image)
        d = run("--lang", "en", "diff", a, b, check=DIFFERENT).stdout
        self.assertTrue(d.startswith("LF amplifier / gain: "), d)
        self.assertEqual(run("--lang", "en", "diff", "--json", a, b, check=DIFFERENT).stdout,
                         run("diff", "--json", a, b, check=DIFFERENT).stdout)


if __name__ == "__main__":
    K330CTL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
