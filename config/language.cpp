#include "config/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

std::optional<UiLanguage> languageFromName(const QString &name)
{
    if (name.compare(QLatin1String("ru"), Qt::CaseInsensitive) == 0)
        return UiLanguage::Russian;
    if (name.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0)
        return UiLanguage::English;
    return std::nullopt;
}

UiLanguage languageFromSystem(const QStringList &uiLanguages)
{
    if (uiLanguages.isEmpty())
        return UiLanguage::Russian;
    const QString first = uiLanguages.first();
    // LANG=C, C.UTF-8, POSIX or nothing set: no language was chosen, so the source language.
    if (first == QLatin1String("C") || first.startsWith(QLatin1String("C."))
        || first == QLatin1String("POSIX"))
        return UiLanguage::Russian;
    const QLocale::Language language = QLocale(first).language();
    if (language == QLocale::C || language == QLocale::Russian)
        return UiLanguage::Russian;
    return UiLanguage::English;
}

QString takeLanguageArgument(QStringList &arguments)
{
    QString value;
    for (qsizetype i = 1; i < arguments.size();) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--"))
            break;
        if (a == QLatin1String("--lang") && i + 1 < arguments.size()) {
            value = arguments.at(i + 1);
            arguments.remove(i, 2);
        } else if (a.startsWith(QLatin1String("--lang="))) {
            value = a.mid(7);
            arguments.remove(i);
        } else {
            ++i;
        }
    }
    return value;
}

QString languageArgument(const QStringList &arguments)
{
    QStringList copy = arguments;
    return takeLanguageArgument(copy);
}

namespace {
// One translator for the whole process, compiled in under :/i18n.
QTranslator &englishTranslator()
{
    static QTranslator translator;
    return translator;
}
bool englishInstalled = false;
UiLanguage installed = UiLanguage::Russian;

// Qt's own texts (file dialogs, context menus, standard buttons, the command-line parser) in
// the interface language, from Qt's translations where they are installed; without them Qt
// speaks English.
void installQtTranslation(UiLanguage language)
{
    static QTranslator qt;
    if (!qt.isEmpty())
        QCoreApplication::removeTranslator(&qt);
    const QLocale locale(language == UiLanguage::Russian ? QLocale::Russian : QLocale::English);
    if (qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
}
} // namespace

bool installTranslation(UiLanguage language)
{
    installQtTranslation(language);
    installed = language;
    if (language == UiLanguage::Russian)
        return true;
    // Numbers in spin boxes and wherever the locale formats them take the English decimal
    // point, whatever the desktop's locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    if (englishTranslator().isEmpty()
        && !englishTranslator().load(QStringLiteral(":/i18n/k330_en.qm")))
        return false;
    englishInstalled = QCoreApplication::installTranslator(&englishTranslator());
    return englishInstalled;
}

UiLanguage installedLanguage()
{
    return installed;
}

SourceLanguageScope::SourceLanguageScope()
{
    if (englishInstalled)
        removed = QCoreApplication::removeTranslator(&englishTranslator());
}

SourceLanguageScope::~SourceLanguageScope()
{
    if (removed)
        QCoreApplication::installTranslator(&englishTranslator());
}

QString setUpLanguage(const QString &value)
{
    UiLanguage language = languageFromSystem(QLocale::system().uiLanguages());
    if (!value.isEmpty()) {
        const std::optional<UiLanguage> chosen = languageFromName(value);
        if (!chosen)
            return QStringLiteral("unknown language \"%1\" for --lang (ru or en)").arg(value);
        language = *chosen;
    }
    if (!installTranslation(language))
        return QStringLiteral("the English translation cannot be loaded");
    return QString();
}

QString languageOptionHelp()
{
    return QCoreApplication::translate(
        "CommandLine",
        "Язык интерфейса: ru (по умолчанию) или en. Без него английский, если язык "
        "рабочего стола не русский и не локаль C.");
}
