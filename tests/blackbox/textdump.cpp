// Loaded into the terminal under test with LD_PRELOAD: when K330_TEXT_DUMP names a file, every
// text the widgets show is appended to it, once each, as "Class objectName: text", sampled
// several times a second while the terminal runs and once more as it quits. The black-box
// scripts read the file to check what the user sees without reading the screen.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>

namespace {

class TextDump : public QObject
{
public:
    explicit TextDump(const QString &path)
        : file(path)
    {
        file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &TextDump::sample);
        timer->start(150);
        connect(qApp, &QCoreApplication::aboutToQuit, this, &TextDump::sample);
    }

    void sample()
    {
        const QList<QWidget *> widgets = QApplication::allWidgets();
        for (QWidget *w : widgets)
            widgetTexts(w);
        file.flush();
    }

private:
    void put(const QObject *o, const QString &text)
    {
        if (text.trimmed().isEmpty())
            return;
        const QString line =
            QStringLiteral("%1 %2: %3")
                .arg(QLatin1String(o->metaObject()->className()), o->objectName(),
                     QString(text).replace(QLatin1Char('\n'), QLatin1String("\\n")));
        if (seen.contains(line))
            return;
        seen.insert(line);
        file.write(line.toUtf8() + '\n');
    }

    void modelTexts(const QObject *o, const QAbstractItemModel *m, const QModelIndex &parent)
    {
        for (int r = 0; r < m->rowCount(parent); ++r) {
            for (int c = 0; c < m->columnCount(parent); ++c) {
                const QModelIndex i = m->index(r, c, parent);
                put(o, i.data(Qt::DisplayRole).toString());
                put(o, i.data(Qt::ToolTipRole).toString());
                if (c == 0 && m->hasChildren(i))
                    modelTexts(o, m, i);
            }
        }
    }

    void widgetTexts(QWidget *w)
    {
        put(w, w->windowTitle());
        put(w, w->toolTip());
        put(w, w->statusTip());
        put(w, w->whatsThis());
        for (const QAction *a : w->actions()) {
            put(a, a->text());
            put(a, a->toolTip());
            put(a, a->statusTip());
        }
        if (auto *l = qobject_cast<QLabel *>(w))
            put(w, l->text());
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            put(w, b->text());
        if (auto *g = qobject_cast<QGroupBox *>(w))
            put(w, g->title());
        if (auto *e = qobject_cast<QLineEdit *>(w))
            put(w, e->placeholderText()); // the text itself is data
        if (auto *s = qobject_cast<QAbstractSpinBox *>(w))
            put(w, s->specialValueText());
        if (auto *s = qobject_cast<QSpinBox *>(w))
            put(w, s->prefix() + s->suffix());
        if (auto *s = qobject_cast<QDoubleSpinBox *>(w))
            put(w, s->prefix() + s->suffix());
        if (auto *c = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < c->count(); ++i)
                put(w, c->itemText(i));
        }
        if (auto *t = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                put(w, t->tabText(i));
                put(w, t->tabToolTip(i));
            }
        }
        if (auto *v = qobject_cast<QAbstractItemView *>(w); v && v->model()) {
            const QAbstractItemModel *m = v->model();
            modelTexts(w, m, v->rootIndex());
            for (int c = 0; c < m->columnCount(); ++c)
                put(w, m->headerData(c, Qt::Horizontal).toString());
        }
        if (auto *h = qobject_cast<QHeaderView *>(w); h && h->model()) {
            for (int s = 0; s < h->count(); ++s)
                put(w, h->model()->headerData(s, h->orientation()).toString());
        }
        if (auto *e = qobject_cast<QPlainTextEdit *>(w))
            put(w, e->toPlainText());
        if (auto *e = qobject_cast<QTextEdit *>(w))
            put(w, e->toPlainText());
        if (auto *s = qobject_cast<QStatusBar *>(w))
            put(w, s->currentMessage());
        if (auto *v = qobject_cast<QGraphicsView *>(w); v && v->scene()) {
            for (const QGraphicsItem *item : v->scene()->items()) {
                if (auto *t = dynamic_cast<const QGraphicsTextItem *>(item))
                    put(w, t->toPlainText());
                else if (auto *t = dynamic_cast<const QGraphicsSimpleTextItem *>(item))
                    put(w, t->text());
            }
        }
    }

    QFile file;
    QSet<QString> seen;
};

void startTextDump()
{
    const QString path = qEnvironmentVariable("K330_TEXT_DUMP");
    if (path.isEmpty() || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    new TextDump(path); // a child of nothing: lives as long as the process
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startTextDump)
