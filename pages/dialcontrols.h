#pragma once
// How a page's dials and the spin boxes beside them take the user's input. A click on a dial
// moves it one page step toward the click instead of jumping to the value under the pointer (a
// drag still turns it to the pointer); a spin box paired with a dial (dialX beside spinX) takes
// a typed value once Enter or leaving the box ends it, so that a number is never sent half
// typed, and then shows the value the dial settles on.

#include <QObject>
#include <QPoint>

class QDial;
class QWidget;

// Turns a dial by page steps on clicks; filters the events of the dials it is installed on.
class DialClickStepper : public QObject
{
    Q_OBJECT

public:
    explicit DialClickStepper(QObject *parent)
        : QObject(parent)
    { }

    // The value a non-wrapping or wrapping dial shows at point (x, y) of its own rectangle,
    // as the dial itself reads a pointer.
    static int valueAt(const QDial &dial, double x, double y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool dragging = false;
    QPoint pressedAt;
};

// Installs the click stepping on every dial of `page` and the typed-value rule on each spin box
// named after a dial.
void setUpDialControls(QWidget *page);
