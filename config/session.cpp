#include "config/session.h"

bool Session::mayOpen(const WindowRule &rule) const
{
    return (!rule.needsConnection || connected) && (!rule.needsDocument() || doc.image());
}

WindowInputs Session::inputsFor(const WindowRule &rule, WindowId id)
{
    WindowInputs in;
    switch (rule.input) {
    case WindowInput::Nothing:
        break;
    case WindowInput::WorkingCopy:
        doc.revertSections(windowRow(id).titleText());
        in.image = doc.workingCopy();
        break;
    case WindowInput::Document:
        in.image = doc.image();
        break;
    case WindowInput::NewRead:
        in.image = doc.beginRead();
        break;
    case WindowInput::Firmware:
        in.firmware = doc.firmware();
        in.firmwareFile = doc.firmwareFile();
        break;
    }
    return in;
}

void Session::opened(const WindowRule &rule, QObject *window)
{
    if (rule.input == WindowInput::NewRead)
        watchReader(window);
    // The load window keeps its own copy; this one is not used again.
    else if (rule.input == WindowInput::Firmware && window)
        doc.releaseFirmware();
}

void Session::watchReader(QObject *window)
{
    if (!window) {
        doc.dropRead();
        return;
    }
    reader = window;
    QObject::connect(window, &QObject::destroyed, &readWatch, [this, window] {
        if (reader == window) {
            reader = nullptr;
            doc.dropRead();
        }
    });
}

WindowClosed Session::closing(const WindowRule &rule, WindowId id, bool keep)
{
    switch (rule.keep) {
    case WindowKeep::Nothing:
        break;
    case WindowKeep::Sections:
        if (keep)
            doc.adoptSections(windowRow(id).titleText());
        break;
    case WindowKeep::Read:
        return closingRead(keep);
    case WindowKeep::ReadReport:
        return keep ? WindowClosed::ReadReported : WindowClosed::Nothing;
    }
    return WindowClosed::Nothing;
}

WindowClosed Session::closingRead(bool keep)
{
    reader = nullptr;
    if (keep && doc.keepRead())
        return WindowClosed::ReadAdopted;
    doc.dropRead();
    doc.closeImage();
    return WindowClosed::Nothing;
}

QString Session::checkFirmware(const QString &fileName)
{
    switch (doc.readFirmware(fileName)) {
    case FirmwareReadResult::OpenFailed:
        return tr("Файл ") + fileName + tr(" не удалось открыть.");
    case FirmwareReadResult::ShortRead:
        return tr("Файл ") + fileName + tr(" не удалось прочитать.");
    case FirmwareReadResult::Ok:
        break;
    }
    return QString();
}

bool Session::switchMode(int m)
{
    if (m == 0 || m == currentMode)
        return false;
    currentMode = m;
    doc.revertAll();
    return true;
}
