#include "pages/dialcontrols.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDial>
#include <QMouseEvent>

#include <cmath>
#include <numbers>
#include <utility>

int DialClickStepper::valueAt(const QDial &dial, double x, double y)
{
    // The dial's own reading: angle 0 to the right, counter-clockwise positive; a wrapping dial
    // spans the whole circle from the bottom, the others 300 degrees from lower left.
    const double pi = std::numbers::pi;
    const double yy = dial.height() / 2.0 - y;
    const double xx = x - dial.width() / 2.0;
    double a = (xx != 0 || yy != 0) ? std::atan2(yy, xx) : 0;
    if (a < -pi / 2)
        a += 2 * pi;
    const int lo = dial.minimum();
    const int range = dial.maximum() - lo;
    const double turn =
        dial.wrapping() ? (pi * 3 / 2 - a) / (2 * pi) : (pi * 4 / 3 - a) / (pi * 5 / 3);
    const int v = qBound(lo, int(std::floor(0.5 + lo + range * turn)), dial.maximum());
    return dial.invertedAppearance() ? dial.maximum() - (v - lo) : v;
}

bool DialClickStepper::eventFilter(QObject *watched, QEvent *event)
{
    auto *dial = qobject_cast<QDial *>(watched);
    const QEvent::Type type = event->type();
    if (!dial || !dial->isEnabled()
        || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove
            && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick))
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint pos = mouse->position().toPoint();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (mouse->button() != Qt::LeftButton)
            return false;
        dragging = false;
        pressedAt = pos;
        const int target = valueAt(*dial, pos.x(), pos.y());
        if (target > dial->value())
            dial->triggerAction(QAbstractSlider::SliderPageStepAdd);
        else if (target < dial->value())
            dial->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    }
    case QEvent::MouseMove:
        if (!(mouse->buttons() & Qt::LeftButton))
            return false;
        // A drag beyond the platform's threshold turns the dial as it always did.
        if (!dragging && (pos - pressedAt).manhattanLength() >= QApplication::startDragDistance())
            dragging = true;
        return !dragging;
    default: // release: ends a drag at the pointer, a click where its step left the dial
        if (mouse->button() != Qt::LeftButton)
            return false;
        return !std::exchange(dragging, false);
    }
}

void setUpDialControls(QWidget *page)
{
    auto *stepper = new DialClickStepper(page);
    const QList<QDial *> dials = page->findChildren<QDial *>();
    for (QDial *dial : dials) {
        dial->installEventFilter(stepper);
        const QString stem = dial->objectName().mid(4);
        if (!dial->objectName().startsWith(QLatin1String("dial")) || stem.isEmpty())
            continue;
        if (auto *spin = page->findChild<QAbstractSpinBox *>(QStringLiteral("spin") + stem))
            spin->setKeyboardTracking(false);
    }
}
