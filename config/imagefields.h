#pragma once
// A configuration image as named fields, in the units the pages show them (dB, ms, codes), for
// front ends without widgets: listing an image and comparing two of them field by field.

#include "config/sections.h"
#include "config/tk440.h"

#include <QList>
#include <QString>

struct ImageField
{
    QString name; // stable key within its section, e.g. "gain", "dac1.step"
    QString value; // as the page shows it, without the unit
    QString unit; // "dB", "ms", "bytes", "kbit/s" or empty
};

struct ImageSection
{
    QString title; // the page's title (the device-tree text), or "Идентификация"
    QList<ImageField> fields;
    // Image ranges the section covers; two images whose ranges are equal have equal fields.
    QList<Section> ranges;
};

// Identity, the information area and every page section the model has, in tree order. Values
// that a page would clamp on loading are shown clamped, as the page shows them; the image
// itself is not changed.
QList<ImageSection> describeImage(const TK440 &image);

struct FieldDifference
{
    QString section;
    QString field;
    QString a;
    QString b;
};

// The fields whose values differ, section by section. Bytes of a section that differ without
// any of its fields showing it (bits no page shows, sections the model's tree lacks) are
// reported as the field "bytes" with both ranges in hex, so that unequal images never compare
// equal. The checksum word is not compared; neither are the processor serial and identifier
// unless withCpu is set.
// Images of the two different models are each read by their own model, and only the sections
// both models have are compared (and the identity, which names the models).
QList<FieldDifference> compareImages(const TK440 &a, const TK440 &b, bool withCpu = false);
// True when a and b are of two different known models (compared by what they share).
bool differentModels(const TK440 &a, const TK440 &b);

// Title of the identity section (Russian, as the other section titles).
QString identityTitle();

// Section titles and values are kept in Russian, as scripts read them (--json); this is the
// text one reads in the interface language.
QString displayedText(const QString &text);
