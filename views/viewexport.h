#pragma once
// "Экспорт…" of the monitoring windows: asks for a file name, saves the window's picture as
// PNG or its data as CSV (the dialog's filter chooses), atomically as every save of the
// terminal, and warns as they do when the file cannot be written.

#include <QByteArray>
#include <QCoreApplication>

#include <functional>

class QWidget;

class ViewExport
{
    Q_DECLARE_TR_FUNCTIONS(ViewExport)

public:
    // picture: the widget whose current drawing the PNG holds, at its size; nullptr when the
    // window exports CSV only. csv: the table, made once the name is chosen. Returns whether
    // a file was saved.
    static bool run(QWidget *window, QWidget *picture, const std::function<QByteArray()> &csv);
};
