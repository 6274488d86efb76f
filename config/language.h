#pragma once
// The language of the user interface. Russian is the language of the sources and the default;
// English comes from a translation compiled into the executable. Both executables choose it
// the same way: `--lang ru|en` on the command line, else the desktop's UI language, where the
// C/POSIX locale (no language chosen) keeps Russian.

#include <QString>
#include <QStringList>

#include <optional>

enum class UiLanguage { Russian, English };

// "ru" or "en" (any case); nothing for any other text.
std::optional<UiLanguage> languageFromName(const QString &name);
// The language for the UI languages of the desktop, most preferred first (as
// QLocale::uiLanguages() lists them): Russian when the first one is Russian or the C locale,
// English otherwise.
UiLanguage languageFromSystem(const QStringList &uiLanguages);
// The value of `--lang VALUE` or `--lang=VALUE` among the arguments (program name first), the
// last one where it is given twice; empty when it is not given. The take form also removes the
// option from the arguments.
QString languageArgument(const QStringList &arguments);
QString takeLanguageArgument(QStringList &arguments);

// Installs the translation of `language` into the running application (nothing for Russian).
// False when the translation cannot be loaded.
bool installTranslation(UiLanguage language);
// The language installed last (Russian until a translation is installed).
UiLanguage installedLanguage();

// While it lives, texts come out in Russian whatever language is installed: for output that
// scripts read, which must not change with the language.
class SourceLanguageScope
{
public:
    SourceLanguageScope();
    ~SourceLanguageScope();
    SourceLanguageScope(const SourceLanguageScope &) = delete;
    SourceLanguageScope &operator=(const SourceLanguageScope &) = delete;

private:
    bool removed = false;
};

// For a front end: installs the language `value` of --lang names (ru or en), or where it is
// empty the system's. Returns an error text for an unknown value (then nothing is installed).
QString setUpLanguage(const QString &value);

// Help of the --lang option, in the interface language.
QString languageOptionHelp();
