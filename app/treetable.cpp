#include "app/treetable.h"

#include "config/tk440.h"

#include <initializer_list>

namespace {
enum Cond { Always, RA, RB, AmpBit, Mode2, Mode4, Mode5, Mode10 };

struct Row
{
    const char *text;
    const char *icon;
    int level;
    Cond cond;
};

// Modes 2 and 10 show the firmware task, 4 and 10 the modem's internal blocks, 5 and 10 the
// trace, 10 alone the further monitor channels.
const Row rows[] = {
    {"Задачи", ":/images/task.bmp", 0, Always},
    {"Прочитать", ":/images/read.bmp", 1, Always},
    {"Записать", ":/images/write.bmp", 1, Always},
    {"Загрузить ПО", ":/images/load.png", 1, Mode2},
    {"Устройства", ":/images/device.png", 0, Always},
    {"Радиостанция", ":/images/radio.png", 1, Always},
    {"Вход микрофона", ":/images/mic.png", 2, RA},
    {"Выход приемника", ":/images/transmit.png", 2, RA},
    {"Выход гарнитуры", ":/images/cast.png", 2, RA},
    {"Выход аксессуарный", ":/images/connect.png", 2, RA},
    {"Вход приемника", ":/images/transmit.png", 2, RB},
    {"Выход микрофона", ":/images/mic.png", 2, RB},
    {"Вокодер", ":/images/compress.png", 1, Always},
    {"Усилитель НЧ", ":/images/sound.png", 1, AmpBit},
    {"Регистратор", ":/images/recorder.png", 1, Always},
    {"Модем", ":/images/connect.png", 1, Always},
    {"Соединение", ":/images/link.png", 2, Always},
    {"Кодек", "", 2, Mode4},
    {"Входной усилитель", "", 2, Mode4},
    {"Выходной усилитель", "", 2, Mode4},
    {"Протокол", "", 2, Mode4},
    {"Монитор", ":/images/monitor.png", 0, Always},
    {"Статистика", ":/images/report.png", 1, Always},
    {"Созвездие", ":/images/picture.png", 1, Always},
    {"Сигнал АЦП", ":/images/channel.png", 1, Always},
    {"Сигнал ЦАП", ":/images/channel.png", 1, Always},
    {"Канал 3", ":/images/channel.png", 1, Mode10},
    {"Канал 4", ":/images/channel.png", 1, Mode10},
    {"Трассировка", ":/images/trace.png", 1, Mode5},
    {"Информация", ":/images/info.png", 0, Always},
};

bool exists(Cond cond, quint16 model, int mode)
{
    switch (cond) {
    case Always:
        return true;
    case RA:
        return model == TK440::ModelRA;
    case RB:
        return model == TK440::ModelRB;
    case AmpBit:
        return (model & 1) == 0;
    case Mode2:
        return mode == 2 || mode == 10;
    case Mode4:
        return mode == 4 || mode == 10;
    case Mode5:
        return mode == 5 || mode == 10;
    case Mode10:
        return mode == 10;
    }
    return false;
}
} // namespace

QList<TreeItem> deviceTreeItems(quint16 model, int mode)
{
    QList<TreeItem> items;
    for (const Row &r : rows) {
        if (exists(r.cond, model, mode))
            items.append({QString::fromUtf8(r.text), QString::fromLatin1(r.icon), r.level});
    }
    return items;
}

bool isTreeGroup(const QString &text)
{
    for (const char *g : {"Задачи", "Устройства", "Радиостанция", "Модем", "Монитор"}) {
        if (text == QString::fromUtf8(g))
            return true;
    }
    return false;
}
