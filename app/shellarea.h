#pragma once
// The main window's multi-document area. While no window is open in it and a hint is set (no
// configuration is open), it says what to do first instead of showing an empty background.

#include <QMdiArea>

class ShellArea : public QMdiArea
{
    Q_OBJECT

public:
    explicit ShellArea(QWidget *parent = nullptr);

    // Lines shown in the middle of the empty area; empty: the plain background.
    void setHint(const QString &text);
    QString hint() const { return hintText; }
    // The hint is what the area shows now.
    bool showsHint() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    QString hintText;
};
