#pragma once
// The open configuration without widgets: the document image, the working copy the pages edit,
// the image a read from the controller is filling, the current file and the firmware file
// contents for the load window.

#include "config/crc16.h"
#include "config/tk440.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

enum class FirmwareReadResult {
    Ok,
    OpenFailed, // not a regular file, or it cannot be opened for reading
    ShortRead, // fewer bytes arrived than the file holds
};

class ConfigDocument
{
public:
    ConfigDocument(); // no image; the working copy zeroed
    ~ConfigDocument();
    ConfigDocument(const ConfigDocument &) = delete;
    ConfigDocument &operator=(const ConfigDocument &) = delete;

    // The document image, or nullptr when no configuration is open.
    TK440 *image() const { return img.get(); }
    // Makes `image` the document image (nullptr closes it). The working copy is left as it is
    // until revertAll().
    void setImage(std::unique_ptr<TK440> image);
    void closeImage();

    // The image holds something no file holds: it differs from what was last loaded from or
    // saved to its file, or made new (markSaved). An image set or read without markSaved
    // counts as modified; no image is never modified.
    bool isModified() const;
    // The image as it stands now is what its file (or a new configuration) holds.
    void markSaved();

    // The working copy edited by the open pages; it always exists.
    TK440 *workingCopy() const { return work.get(); }
    // Page editing; `title` names a page as copySections (config/sections.h) knows it, and any
    // other name copies nothing. Without a document image nothing is copied either.
    // The page's sections of the working copy become those of the image: edits not kept go.
    void revertSections(const QString &title);
    // The page's sections of the image become those of the working copy: the edit is kept.
    void adoptSections(const QString &title);
    // The whole working copy becomes a copy of the image.
    void revertAll();

    // Reading from the controller. beginRead() gives a zeroed image for the read window to
    // fill, replacing an earlier pending read; the window writes it only after a passed check
    // (fromDeviceForm in config/image.h) and asks to keep it only then.
    TK440 *beginRead();
    TK440 *pendingRead() const { return pending.get(); }
    // The read window closes with keep: the pending image becomes the document image. False,
    // and nothing changes, when no read is pending.
    bool keepRead();
    void dropRead() { pending.reset(); }

    // The configuration file the image belongs to, or nullptr. The file is only named here;
    // it is opened by whoever reads or writes it.
    QFile *file() const { return currentFile.get(); }
    void setFile(const QString &fileName);
    void forgetFile() { currentFile.reset(); }

    // Checksum calculator for the image and the files.
    const Crc16 &checksum() const { return crc; }

    // Firmware for the load window. Reads the whole file; OpenFailed keeps what was held
    // before, ShortRead drops it.
    FirmwareReadResult readFirmware(const QString &fileName);
    const QByteArray &firmware() const { return fwData; }
    // Bytes of the firmware file last read in full, also after releaseFirmware().
    int firmwareSize() const { return fwSize; }
    // Name of the firmware file last read in full.
    const QString &firmwareFile() const { return fwName; }
    // The load window has taken its own copy: the bytes are not kept any longer.
    void releaseFirmware() { fwData.clear(); }

private:
    Crc16 crc;
    std::unique_ptr<TK440> img;
    std::unique_ptr<TK440> work;
    std::unique_ptr<TK440> pending;
    QByteArray savedBytes; // the image as last marked saved; empty when never
    std::unique_ptr<QFile> currentFile;
    QByteArray fwData;
    int fwSize = 0;
    QString fwName;
};
