#pragma once
// Write window: prepares a wire-order copy of the image with its check value, queues the
// configuration write and shows the write and the read-back.

#include "device/windows/progresswindow.h"

#include <memory>

struct TK440;

class Write : public ProgressWindow
{
    Q_OBJECT

public:
    // Queues the write at once, unless the image is of an unknown model: then nothing is sent
    // and the window waits to be closed. mode decides how much of the image is written
    // (writeLength in config/image.h).
    Write(TThread *thread, const TK440 *image, int mode, QWidget *parent = nullptr);
    ~Write() override;

public Q_SLOTS:
    void Start();
    void Check();
    void Stop();
    void Error();

private:
    std::unique_ptr<TK440> record; // the copy that is sent
    QString model;
};
