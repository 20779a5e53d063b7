#include "core/Plist.h"

#include "core/Paths.h"
#include "core/SmallFile.h"

#include <QDateTime>
#include <QTimeZone>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace Morvane {

namespace {

constexpr int maximumDepth = 64;
// Seconds between the Unix epoch and 2001-01-01T00:00:00Z, the plist date origin.
constexpr double referenceOffset = 978307200.0;

QDateTime dateFromReference(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e11)
        return {};
    return QDateTime::fromMSecsSinceEpoch(qint64((seconds + referenceOffset) * 1000.0), QTimeZone::utc());
}

// ---- binary ------------------------------------------------------------------------

class BinaryReader {
public:
    explicit BinaryReader(const QByteArray &data)
        : m_data(data)
    {
    }

    std::optional<QVariant> read()
    {
        const qsizetype n = m_data.size();
        if (n < 8 + 32)
            return std::nullopt;
        const auto *trailer = reinterpret_cast<const unsigned char *>(m_data.constData()) + n - 32;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        const quint64 count = be(trailer + 8, 8);
        const quint64 top = be(trailer + 16, 8);
        const quint64 tableOffset = be(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
            return std::nullopt;
        const quint64 limit = quint64(n) - 32;
        if (count == 0 || count > limit || top >= count || tableOffset < 8 || tableOffset >= limit
            || count * m_offsetSize > limit - tableOffset)
            return std::nullopt;
        m_count = count;
        m_tableOffset = tableOffset;
        m_active.assign(std::size_t(count), false);
        bool ok = true;
        QVariant value = object(top, 0, ok);
        if (!ok)
            return std::nullopt;
        return value;
    }

private:
    static quint64 be(const unsigned char *p, int size)
    {
        quint64 v = 0;
        for (int i = 0; i < size; ++i)
            v = (v << 8) | p[i];
        return v;
    }

    const unsigned char *bytes() const { return reinterpret_cast<const unsigned char *>(m_data.constData()); }
    quint64 objectsEnd() const { return m_tableOffset; }

    bool offsetOf(quint64 ref, quint64 &offset) const
    {
        if (ref >= m_count)
            return false;
        offset = be(bytes() + m_tableOffset + ref * m_offsetSize, m_offsetSize);
        return offset >= 8 && offset < objectsEnd();
    }

    // Reads the count that follows a marker whose low nibble is 0xF.
    bool length(quint64 &pos, quint64 nibble, quint64 &out) const
    {
        if (nibble != 0xF) {
            out = nibble;
            return true;
        }
        if (pos >= objectsEnd())
            return false;
        const unsigned char marker = bytes()[pos];
        if ((marker >> 4) != 0x1)
            return false;
        const int size = 1 << (marker & 0x3);
        if ((marker & 0xF) > 3 || pos + 1 + quint64(size) > objectsEnd())
            return false;
        out = be(bytes() + pos + 1, size);
        pos += 1 + quint64(size);
        return true;
    }

    QVariant object(quint64 ref, int depth, bool &ok)
    {
        quint64 pos = 0;
        if (depth > maximumDepth || !offsetOf(ref, pos) || m_active[std::size_t(ref)]) {
            ok = false;
            return {};
        }
        m_active[std::size_t(ref)] = true;
        QVariant value = parse(pos, depth, ok);
        m_active[std::size_t(ref)] = false;
        return value;
    }

    QVariant parse(quint64 pos, int depth, bool &ok)
    {
        const unsigned char marker = bytes()[pos++];
        const int type = marker >> 4;
        const quint64 nibble = marker & 0xF;
        const quint64 end = objectsEnd();
        switch (type) {
        case 0x0:
            if (marker == 0x08)
                return false;
            if (marker == 0x09)
                return true;
            if (marker == 0x00)
                return QVariant();
            break;
        case 0x1: {
            const int size = 1 << nibble;
            if (nibble > 3 || pos + quint64(size) > end)
                break;
            return qint64(be(bytes() + pos, size));
        }
        case 0x2: {
            if (nibble == 2 && pos + 4 <= end) {
                const quint32 v = quint32(be(bytes() + pos, 4));
                float f;
                std::memcpy(&f, &v, 4);
                return double(f);
            }
            if (nibble == 3 && pos + 8 <= end) {
                const quint64 v = be(bytes() + pos, 8);
                double d;
                std::memcpy(&d, &v, 8);
                return d;
            }
            break;
        }
        case 0x3: {
            if (marker != 0x33 || pos + 8 > end)
                break;
            const quint64 v = be(bytes() + pos, 8);
            double d;
            std::memcpy(&d, &v, 8);
            const QDateTime date = dateFromReference(d);
            if (!date.isValid())
                break;
            return date;
        }
        case 0x4:
        case 0x5:
        case 0x6: {
            quint64 count = 0;
            if (!length(pos, nibble, count))
                break;
            const quint64 unit = type == 0x6 ? 2 : 1;
            if (count > end || pos + count * unit > end)
                break;
            const char *start = m_data.constData() + pos;
            if (type == 0x4)
                return QByteArray(start, qsizetype(count));
            if (type == 0x5)
                return QString::fromLatin1(start, qsizetype(count));
            QString s(qsizetype(count), Qt::Uninitialized);
            for (quint64 i = 0; i < count; ++i)
                s[qsizetype(i)] = QChar(char16_t(be(bytes() + pos + 2 * i, 2)));
            return s;
        }
        case 0x8: {
            if (pos + nibble + 1 > end)
                break;
            return qint64(be(bytes() + pos, int(nibble) + 1));
        }
        case 0xA:
        case 0xC:
        case 0xD: {
            quint64 count = 0;
            if (!length(pos, nibble, count))
                break;
            const quint64 refs = type == 0xD ? count * 2 : count;
            if (count > end || pos + refs * m_refSize > end)
                break;
            if (type == 0xD) {
                QVariantMap map;
                for (quint64 i = 0; i < count; ++i) {
                    const quint64 keyRef = be(bytes() + pos + i * m_refSize, m_refSize);
                    const quint64 valueRef = be(bytes() + pos + (count + i) * m_refSize, m_refSize);
                    const QVariant key = object(keyRef, depth + 1, ok);
                    if (!ok || key.typeId() != QMetaType::QString) {
                        ok = false;
                        return {};
                    }
                    QVariant value = object(valueRef, depth + 1, ok);
                    if (!ok)
                        return {};
                    map.insert(key.toString(), value);
                }
                return map;
            }
            QVariantList list;
            for (quint64 i = 0; i < count; ++i) {
                QVariant value = object(be(bytes() + pos + i * m_refSize, m_refSize), depth + 1, ok);
                if (!ok)
                    return {};
                list.append(value);
            }
            return list;
        }
        default:
            break;
        }
        ok = false;
        return {};
    }

    const QByteArray &m_data;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_count = 0;
    quint64 m_tableOffset = 0;
    std::vector<bool> m_active; // objects on the current path: a reference back is a cycle
};

// ---- XML ---------------------------------------------------------------------------

class XmlReader {
public:
    explicit XmlReader(const QByteArray &data)
        : m_xml(data)
    {
    }

    std::optional<QVariant> read()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("plist"))
                return std::nullopt;
            if (!m_xml.readNextStartElement())
                return std::nullopt;
            bool ok = true;
            QVariant value = element(0, ok);
            if (!ok || m_xml.hasError())
                return std::nullopt;
            // Nothing but the end of <plist> may follow.
            if (m_xml.readNextStartElement())
                return std::nullopt;
            if (m_xml.hasError())
                return std::nullopt;
            return value;
        }
        return std::nullopt;
    }

private:
    // Called with the reader on a start element; leaves it on the matching end element.
    QVariant element(int depth, bool &ok)
    {
        if (depth > maximumDepth) {
            ok = false;
            return {};
        }
        const QStringView name = m_xml.name();
        if (name == QLatin1String("dict")) {
            QVariantMap map;
            while (m_xml.readNextStartElement()) {
                if (m_xml.name() != QLatin1String("key")) {
                    ok = false;
                    return {};
                }
                const QString key = m_xml.readElementText();
                if (m_xml.hasError() || !m_xml.readNextStartElement()) {
                    ok = false;
                    return {};
                }
                QVariant value = element(depth + 1, ok);
                if (!ok)
                    return {};
                map.insert(key, value);
            }
            return map;
        }
        if (name == QLatin1String("array")) {
            QVariantList list;
            while (m_xml.readNextStartElement()) {
                QVariant value = element(depth + 1, ok);
                if (!ok)
                    return {};
                list.append(value);
            }
            return list;
        }
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            const bool value = name == QLatin1String("true");
            m_xml.skipCurrentElement();
            return value;
        }
        const QString kind = name.toString();
        const QString text = m_xml.readElementText();
        if (m_xml.hasError()) {
            ok = false;
            return {};
        }
        if (kind == QLatin1String("string"))
            return text;
        if (kind == QLatin1String("integer")) {
            bool good = false;
            const qint64 v = text.trimmed().toLongLong(&good);
            if (!good)
                ok = false;
            return v;
        }
        if (kind == QLatin1String("real")) {
            bool good = false;
            const double v = text.trimmed().toDouble(&good);
            if (!good)
                ok = false;
            return v;
        }
        if (kind == QLatin1String("data"))
            return QByteArray::fromBase64(text.toLatin1().simplified().replace(' ', ""));
        if (kind == QLatin1String("date")) {
            QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            if (!date.isValid())
                ok = false;
            return date.toUTC();
        }
        ok = false;
        return {};
    }

    QXmlStreamReader m_xml;
};

} // namespace

std::optional<QVariant> parsePropertyList(const QByteArray &data)
{
    if (data.startsWith("bplist00"))
        return BinaryReader(data).read();
    if (data.startsWith("bplist"))
        return std::nullopt; // other binary versions are not read
    return XmlReader(data).read();
}

std::optional<QVariant> readPropertyListFile(const QString &path, qint64 maximumBytes)
{
    const auto data = readSmallRegularFile(path, maximumBytes, FinalLink::refuse);
    if (!data)
        return std::nullopt;
    return parsePropertyList(*data);
}

} // namespace Morvane
