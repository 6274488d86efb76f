#pragma once
// A paintless parent for a run of consecutive sample items (line items of the oscilloscope,
// dots of the constellation), which paint nothing themselves. After every change the scene
// walks its top-level items one by one, and at every repaint it visits each of them; with the
// items grouped under blocks it passes over untouched blocks as a whole. A block given the
// rectangle its items stay within (an oscilloscope strip of positions) also spares the repaint
// of a small strip a visit of every item outside it.

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QList>

class ItemBlock : public QGraphicsItem
{
public:
    // Items per block.
    static constexpr int Size = 256;

    // bounds: the scene rectangle the items stay within; a null rectangle when they may lie
    // anywhere.
    explicit ItemBlock(const QRectF &bounds = QRectF())
        : area(bounds)
    {
        if (area.isNull())
            setFlag(ItemHasNoContents);
        else
            setFlag(ItemContainsChildrenInShape);
    }

    enum { Type = UserType + 330 };
    int type() const override { return Type; }
    QRectF boundingRect() const override { return area; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override { }

private:
    QRectF area;
};

// Takes the items out of the scene, deletes them (with their children) and empties the list.
template<typename Item> void deleteItems(QGraphicsScene *scene, QList<Item *> &items)
{
    for (Item *item : std::as_const(items)) {
        scene->removeItem(item);
        delete item;
    }
    items.clear();
}
