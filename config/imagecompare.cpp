// Two configuration images compared field by field (declared in imagefields.h).

#include "config/image.h"
#include "config/imagefields.h"
#include "config/windows.h"

#include <algorithm>
#include <cstring>

namespace {

bool rangesEqual(const TK440 &a, const TK440 &b, const QList<Section> &ranges)
{
    for (const Section &s : ranges) {
        if (std::memcmp(a.b + s.offset, b.b + s.offset, size_t(s.length)) != 0)
            return false;
    }
    return true;
}

QString rangesHex(const TK440 &image, const QList<Section> &ranges)
{
    QStringList parts;
    for (const Section &s : ranges)
        parts.append(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(image.b + s.offset), s.length).toHex(' ')));
    return parts.join(QStringLiteral(" | "));
}

bool knownModel(quint16 model)
{
    return model == TK440::ModelRA || model == TK440::ModelRB;
}

bool sameRanges(const QList<Section> &x, const QList<Section> &y)
{
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](Section s, Section t) {
        return s.offset == t.offset && s.length == t.length;
    });
}

// The sections that no page of a's model covers: their bytes, where they differ.
void appendUncovered(const TK440 &a, const TK440 &b, QList<Section> covered,
                     QList<FieldDifference> &out)
{
    for (const WindowRow &row : windowTable()) {
        const QList<Section> ranges = row.sectionList();
        if (ranges.isEmpty())
            continue;
        bool isCovered = false;
        for (const Section &s : ranges) {
            for (const Section &c : covered)
                isCovered |= s.offset == c.offset && s.length == c.length;
        }
        if (isCovered)
            continue;
        covered.append(ranges);
        if (!rangesEqual(a, b, ranges))
            out.append({row.titleText(), QStringLiteral("bytes"), rangesHex(a, ranges),
                        rangesHex(b, ranges)});
    }
}

// The fields of section x (of image a) and y (of image b) that differ; where none does but
// the bytes of the ranges both sections cover do, those bytes.
void compareSection(const ImageSection &x, const ImageSection &y, const TK440 &a, const TK440 &b,
                    bool withCpu, QList<FieldDifference> &out)
{
    const bool isIdentity = x.title == identityTitle();
    bool shown = false;
    for (qsizetype k = 0; k < x.fields.size() && k < y.fields.size(); ++k) {
        const QString &name = x.fields[k].name;
        QString va = x.fields[k].value;
        QString vb = y.fields[k].value;
        if (isIdentity) {
            if (name == QLatin1String("model")) {
                vb = modelName(b.model());
                // Every code without a model name shows as the same placeholder: the codes tell
                // two such images apart.
                if (a.model() != b.model() && va == vb) {
                    va += QStringLiteral(" (0x%1)").arg(a.model(), 4, 16, QLatin1Char('0'));
                    vb += QStringLiteral(" (0x%1)").arg(b.model(), 4, 16, QLatin1Char('0'));
                }
            }
            if (!withCpu && name.startsWith(QLatin1String("cpu.")))
                continue;
        }
        if (va != vb) {
            out.append({x.title, name, va, vb});
            shown = true;
        }
    }
    // Identity bytes not compared are not reported as bytes either.
    if (!isIdentity && !shown && sameRanges(x.ranges, y.ranges) && !rangesEqual(a, b, x.ranges))
        out.append(
            {x.title, QStringLiteral("bytes"), rangesHex(a, x.ranges), rangesHex(b, x.ranges)});
}

} // namespace

QList<FieldDifference> compareImages(const TK440 &a, const TK440 &b, bool withCpu)
{
    QList<FieldDifference> out;
    if (differentModels(a, b)) {
        // Each read with its own model's layout; only the sections both models have (by their
        // titles) are compared, besides the identity that names the two models.
        const QList<ImageSection> sa = describeImage(a);
        const QList<ImageSection> sb = describeImage(b);
        for (const ImageSection &x : sa) {
            for (const ImageSection &y : sb) {
                if (y.title == x.title)
                    compareSection(x, y, a, b, withCpu, out);
            }
        }
        return out;
    }
    // Both are read with the layout of a's model, so that their sections pair up; an unknown
    // model shows as the identity field.
    TK440 bLaid = b;
    bLaid.setWord(TK440::ModelOffset, a.model());
    const QList<ImageSection> sa = describeImage(a);
    const QList<ImageSection> sb = describeImage(bLaid);
    QList<Section> covered;
    for (qsizetype i = 0; i < sa.size() && i < sb.size(); ++i) {
        covered.append(sa[i].ranges);
        compareSection(sa[i], sb[i], a, b, withCpu, out);
    }
    appendUncovered(a, b, covered, out);
    return out;
}

bool differentModels(const TK440 &a, const TK440 &b)
{
    return a.model() != b.model() && knownModel(a.model()) && knownModel(b.model());
}
