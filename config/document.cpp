#include "config/document.h"

#include "config/sections.h"

#include <QFileInfo>

#include <cstring>

ConfigDocument::ConfigDocument()
    : work(std::make_unique<TK440>())
{
    std::memset(work->b, 0, TK440::Size);
}

ConfigDocument::~ConfigDocument() = default;

void ConfigDocument::setImage(std::unique_ptr<TK440> image)
{
    img = std::move(image);
    savedBytes.clear();
}

void ConfigDocument::closeImage()
{
    img.reset();
    savedBytes.clear();
}

bool ConfigDocument::isModified() const
{
    return img && QByteArrayView(img->data(), TK440::Size) != QByteArrayView(savedBytes);
}

void ConfigDocument::markSaved()
{
    if (img)
        savedBytes = QByteArray(img->data(), TK440::Size);
}

void ConfigDocument::revertSections(const QString &title)
{
    if (img)
        copySections(title, img->b, work->b);
}

void ConfigDocument::adoptSections(const QString &title)
{
    if (img)
        copySections(title, work->b, img->b);
}

void ConfigDocument::revertAll()
{
    if (img)
        std::memcpy(work->b, img->b, TK440::Size);
}

TK440 *ConfigDocument::beginRead()
{
    pending = std::make_unique<TK440>();
    std::memset(pending->b, 0, TK440::Size);
    return pending.get();
}

bool ConfigDocument::keepRead()
{
    if (!pending)
        return false;
    img = std::move(pending);
    savedBytes.clear();
    return true;
}

void ConfigDocument::setFile(const QString &fileName)
{
    currentFile = std::make_unique<QFile>(fileName);
}

FirmwareReadResult ConfigDocument::readFirmware(const QString &fileName)
{
    // Only a regular file: opening a FIFO would block until someone writes to it.
    QFile f(fileName);
    if (!QFileInfo(fileName).isFile() || !f.open(QIODevice::ReadOnly))
        return FirmwareReadResult::OpenFailed;
    const qint64 expected = f.size();
    QByteArray data = f.readAll();
    f.close();
    if (data.size() < expected) {
        fwData.clear();
        fwSize = 0;
        return FirmwareReadResult::ShortRead;
    }
    fwData = data;
    fwSize = int(data.size());
    fwName = fileName;
    return FirmwareReadResult::Ok;
}
