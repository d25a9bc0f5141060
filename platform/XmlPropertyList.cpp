// SPDX-License-Identifier: MIT
#include "platform/XmlPropertyList.h"

#include "platform/PropertyListUid.h"

#include <QDateTime>
#include <QTimeZone>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include <libxml/parser.h>

namespace {

// XML 1.0 has no room for control characters other than tab and line ends,
// not even as references, and libxml2 refuses them; yet libplist wrote them
// as they are (and so does the writer below, so that such a file keeps its
// bytes), and a NUL inside a text has always just ended that text. So before
// parsing, each such byte b becomes the noncharacter U+FDD0 + b
// (U+FDD0..U+FDEF, which no name may hold), and each text is mapped back.
bool IsControl(char c) {
    return uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

QByteArray WithStandIns(const QByteArray &bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (IsControl(c)) {
            out += "\xEF\xB7"; // U+FDD0 + c in UTF-8: EF B7 90..AF
            out += char(0x90 + uchar(c));
        } else {
            out += c;
        }
    }
    return out;
}

// The control characters back in a text; a NUL ends it, and `cut` says so.
QByteArray WithoutStandIns(const QByteArray &text, bool *cut) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool standIn =
            i + 2 < text.size() && uchar(text[i]) == 0xEF && uchar(text[i + 1]) == 0xB7;
        const char c = standIn ? char(uchar(text[i + 2]) - 0x90) : text[i];
        if (!standIn || !IsControl(c)) {
            out += text[i];
            continue;
        }
        if (c == '\0') {
            *cut = true;
            break;
        }
        out += c;
        i += 2;
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QByteArray Trimmed(const QByteArray &text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Property-list dates count seconds from the start of 2001 (UTC).
const QDateTime &ReferenceDate() {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

// Each reading below clears `exact` when the text is not what the value
// written back will say: no number at all, digits beyond the 64 bits, base64
// that is none, a date with more (or less) than seconds.

// A sign, then a number in C's notation: decimal, 0x hexadecimal or 0 octal.
// Beyond the 64 bits the largest value; beyond qint64 a quint64.
QVariant IntegerValue(const QByteArray &text, bool *exact) {
    QByteArray digits = Trimmed(text);
    const bool negative = digits.startsWith('-');
    if (negative || digits.startsWith('+'))
        digits.remove(0, 1);
    char *end = nullptr;
    errno = 0;
    const quint64 magnitude = std::strtoull(digits.constData(), &end, 0);
    const bool whole = end == digits.constData() + digits.size() && errno != ERANGE;
    const quint64 lowest = quint64(std::numeric_limits<qint64>::max()) + 1;
    if (!whole || digits.isEmpty() || !std::isdigit(uchar(digits.at(0))) ||
        (negative && magnitude > lowest))
        *exact = false;
    if (negative)
        return QVariant(static_cast<qint64>(0 - magnitude));
    if (magnitude > quint64(std::numeric_limits<qint64>::max()))
        return QVariant(magnitude);
    return QVariant(static_cast<qint64>(magnitude));
}

// The number the text begins with, whatever the locale; 0 when none.
QVariant RealValue(const QByteArray &text, bool *exact) {
    QByteArray number = Trimmed(text);
    const bool negative = number.startsWith('-');
    if (negative || number.startsWith('+'))
        number.remove(0, 1);
    double value = 0;
    const char *begin = number.constData();
    const char *end = begin + number.size();
    const bool hex = number.startsWith("0x") || number.startsWith("0X");
    const auto [stop, problem] =
        hex ? std::from_chars(begin + 2, end, value, std::chars_format::hex)
            : std::from_chars(begin, end, value);
    if (problem != std::errc() || stop != end)
        *exact = false;
    return QVariant(negative ? -value : value);
}

// Base64 with any line breaks and indentation; empty when it is not base64.
QVariant DataValue(const QByteArray &text, bool *exact) {
    QByteArray compact;
    compact.reserve(text.size());
    for (char c : text)
        if (!IsBlank(c))
            compact += c;
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        *exact = false;
    return QVariant(decoded ? *decoded : QByteArray(""));
}

// "2019-05-04T10:30:15Z", to the second, of any year from 1 to 9999; an
// empty date is the reference date. A malformed one is left out.
QVariant DateValue(const QByteArray &text, bool *exact) {
    const QByteArray trimmed = Trimmed(text);
    if (trimmed.size() != 20 || trimmed[19] != 'Z')
        *exact = false;
    if (trimmed.isEmpty())
        return QVariant(ReferenceDate());
    const QDate date = QDate::fromString(QString::fromLatin1(trimmed.left(10)), Qt::ISODate);
    const QTime time =
        QTime::fromString(QString::fromLatin1(trimmed.mid(11, 8)), QStringLiteral("HH:mm:ss"));
    if (trimmed.size() < 19 || trimmed[10] != 'T' || !date.isValid() || !time.isValid())
        return {};
    return QVariant(QDateTime(date, time, Qt::UTC));
}

QVariant TextValue(const QByteArray &text) {
    QString value = QString::fromUtf8(text);
    // An empty string entry is an empty text, never an absent one.
    if (value.isNull())
        value = QLatin1String("");
    return QVariant(value);
}

// Builds the value while libxml2 reads the bytes, one SAX event at a time, so
// that nothing beyond the bounds is ever built.
class Builder {
public:
    Builder(int maxDepth, qint64 maxValues, bool standIns)
        : mMaxDepth(maxDepth), mMaxValues(maxValues), mStandIns(standIns) {
        mStack.emplace_back(Frame::Document);
    }

    QVariant parse(const QByteArray &bytes, bool *exact) {
        xmlSAXHandler sax{};
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = &Builder::onStart;
        sax.endElementNs = &Builder::onEnd;
        sax.characters = &Builder::onText;
        sax.cdataBlock = &Builder::onText;
        sax.reference = &Builder::onEntityReference;
        sax.entityDecl = &Builder::onEntityDeclaration;
        sax.processingInstruction = &Builder::onInstruction;
        sax.serror = &Builder::onError;
        // No entity is ever declared, so none is ever expanded; the network
        // and external DTDs are never touched. XML_PARSE_HUGE lifts libxml2's
        // own depth limit of 256 elements, which is below ours: the builder
        // stops the parser at its own bounds.
        mContext = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr);
        if (!mContext)
            return {};
        xmlCtxtUseOptions(mContext, XML_PARSE_NONET | XML_PARSE_HUGE);
        xmlParseChunk(mContext, bytes.constData(), int(bytes.size()), 1);
        const bool wellFormed = mContext->wellFormed != 0;
        // libxml2 records declared entities in a document of its own even in
        // SAX mode, which the caller frees.
        xmlFreeDoc(mContext->myDoc);
        xmlFreeParserCtxt(mContext);
        mContext = nullptr;
        if (!wellFormed || mFailed || mStack.size() != 1)
            return {};
        if (exact)
            *exact = mExact;
        return mStack.front().value;
    }

private:
    struct Frame {
        enum Kind { Document, Plist, Array, Dict, Scalar };
        explicit Frame(Kind k, QByteArray n = {}) : kind(k), name(std::move(n)) {}
        Kind kind;
        QByteArray name;
        QByteArray text;
        QVariantList list;
        QVariantMap map;
        QString key;
        bool hasKey = false;
        // The one value a document or a plist element holds.
        QVariant value;
        bool hasValue = false;
    };

    static Builder *self(void *context) { return static_cast<Builder *>(context); }

    void fail() {
        if (!mFailed) {
            mFailed = true;
            xmlStopParser(mContext);
        }
    }

    static void onStart(void *context, const xmlChar *localName, const xmlChar *prefix,
                        const xmlChar *, int, const xmlChar **, int, int, const xmlChar **) {
        Builder *b = self(context);
        if (b->mFailed)
            return;
        const QByteArray name(reinterpret_cast<const char *>(localName));
        const Frame::Kind parent = b->mStack.back().kind;
        // Plain names only, nothing inside a scalar, one <plist> at the top.
        if (prefix || parent == Frame::Scalar || ++b->mValues > b->mMaxValues)
            return b->fail();
        Frame frame(Frame::Scalar, name);
        if (name == "plist") {
            if (parent != Frame::Document)
                return b->fail();
            frame.kind = Frame::Plist;
        } else if (name == "array" || name == "dict") {
            if (++b->mDepth > b->mMaxDepth)
                return b->fail();
            frame.kind = name == "array" ? Frame::Array : Frame::Dict;
        } else if (name != "string" && name != "key" && name != "integer" && name != "real" &&
                   name != "true" && name != "false" && name != "date" && name != "data") {
            return b->fail();
        }
        b->mStack.push_back(std::move(frame));
    }

    static void onEnd(void *context, const xmlChar *, const xmlChar *, const xmlChar *) {
        Builder *b = self(context);
        if (b->mFailed || b->mStack.size() < 2)
            return b->fail();
        Frame frame = std::move(b->mStack.back());
        b->mStack.pop_back();
        Frame &parent = b->mStack.back();
        QVariant value;
        bool cut = false;
        switch (frame.kind) {
        case Frame::Array:
            --b->mDepth;
            value = QVariant(std::move(frame.list));
            break;
        case Frame::Dict:
            // A key without a value is left out.
            --b->mDepth;
            if (frame.hasKey)
                b->mExact = false;
            value = Uid(frame.map);
            if (!value.isValid())
                value = QVariant(std::move(frame.map));
            break;
        case Frame::Plist:
            if (!frame.hasValue)
                return b->fail();
            value = std::move(frame.value);
            break;
        default:
            if (b->mStandIns)
                frame.text = WithoutStandIns(frame.text, &cut);
            if (cut)
                b->mExact = false;
            // A <key> where a dictionary expects its next key names it;
            // anywhere else it is a text like <string>.
            if (frame.name == "key" && parent.kind == Frame::Dict && !parent.hasKey) {
                parent.key = TextValue(frame.text).toString();
                parent.hasKey = true;
                return;
            }
            value = b->scalar(frame.name, frame.text);
        }
        b->add(parent, std::move(value));
    }

    QVariant scalar(const QByteArray &name, const QByteArray &text) {
        if (name == "integer")
            return IntegerValue(text, &mExact);
        if (name == "real")
            return RealValue(text, &mExact);
        if (name == "true" || name == "false")
            return QVariant(name == "true");
        if (name == "date")
            return DateValue(text, &mExact);
        if (name == "data")
            return DataValue(text, &mExact);
        return TextValue(text);
    }

    // Apple's tools write an archiver's reference as a dictionary of one
    // integer under "CF$UID", and read it back as a reference.
    static QVariant Uid(const QVariantMap &map) {
        const QVariant value = map.value(QStringLiteral("CF$UID"));
        if (map.size() != 1 ||
            (value.typeId() != QMetaType::LongLong && value.typeId() != QMetaType::ULongLong) ||
            (value.typeId() == QMetaType::LongLong && value.toLongLong() < 0))
            return {};
        return QVariant::fromValue(PropertyListUid{value.toULongLong()});
    }

    // Values that cannot be read (a malformed date) are left out of their
    // container, as the binary reader leaves out what it cannot map.
    void add(Frame &parent, QVariant value) {
        switch (parent.kind) {
        case Frame::Array:
            if (value.isValid())
                parent.list.append(std::move(value));
            else
                mExact = false;
            break;
        case Frame::Dict:
            if (!parent.hasKey)
                return fail();
            if (!value.isValid() || parent.map.contains(parent.key))
                mExact = false;
            if (value.isValid())
                parent.map.insert(parent.key, std::move(value));
            parent.hasKey = false;
            break;
        default:
            if (parent.hasValue)
                return fail();
            parent.value = std::move(value);
            parent.hasValue = true;
        }
    }

    static void onText(void *context, const xmlChar *chars, int length) {
        Builder *b = self(context);
        if (b->mFailed)
            return;
        Frame &top = b->mStack.back();
        const auto *text = reinterpret_cast<const char *>(chars);
        if (top.kind == Frame::Scalar) {
            top.text.append(text, length);
            return;
        }
        // Between elements only blanks; the rest is no property list.
        for (int i = 0; i < length; ++i)
            if (!IsBlank(text[i]))
                return b->fail();
    }

    static void onInstruction(void *context, const xmlChar *, const xmlChar *) {
        Builder *b = self(context);
        if (b->mStack.back().kind == Frame::Scalar)
            b->fail();
    }

    static void onEntityReference(void *context, const xmlChar *) { self(context)->fail(); }

    static void onEntityDeclaration(void *context, const xmlChar *, int, const xmlChar *,
                                    const xmlChar *, xmlChar *) {
        self(context)->fail();
    }

    // Errors end the parse (a list is read whole or not at all); nothing is
    // printed.
    static void onError(void *, xmlErrorPtr) {}

    const int mMaxDepth;
    const qint64 mMaxValues;
    const bool mStandIns;
    xmlParserCtxtPtr mContext = nullptr;
    std::vector<Frame> mStack;
    int mDepth = 0;
    qint64 mValues = 0;
    bool mFailed = false;
    bool mExact = true;
};

} // namespace

QVariant ReadXmlPropertyList(const QByteArray &bytes, int maxDepth, qint64 maxValues, bool *exact) {
    // UTF-16 lists hold NULs in every other byte; those are left as they are.
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    const bool standIns = !utf16 && std::any_of(bytes.cbegin(), bytes.cend(), IsControl);
    const QByteArray input = standIns ? WithStandIns(bytes) : bytes;
    if (input.isEmpty() || input.size() > INT_MAX)
        return {};
    return Builder(maxDepth, maxValues, standIns).parse(input, exact);
}

namespace {

// Writes what the reader above reads back the same, in the layout libplist
// gave Tavo's files (tab indents, base64 lines narrowing with the depth), so
// that a file saved again without changes keeps its bytes.
class Writer {
public:
    Writer(int maxDepth, qint64 maxValues) : mMaxDepth(maxDepth), mMaxValues(maxValues) {}

    QByteArray write(const QVariant &value) {
        mOut = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
               "PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
               "version=\"1.0\">\n";
        mValues = 1;
        if (!element(value, 0))
            return {};
        return mOut + "</plist>\n";
    }

private:
    // Counts the element as the reader counts it.
    bool counted() { return ++mValues <= mMaxValues; }

    void line(int depth, const QByteArray &text) { mOut += QByteArray(depth, '\t') + text + '\n'; }

    bool scalar(int depth, const char *tag, const QByteArray &text) {
        line(depth, QByteArray("<") + tag + '>' + text + "</" + tag + '>');
        return counted();
    }

    bool element(const QVariant &value, int depth) {
        switch (value.typeId()) {
        case QMetaType::Bool:
            line(depth, value.toBool() ? "<true/>" : "<false/>");
            return counted();
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Char:
        case QMetaType::SChar:
            return scalar(depth, "integer", QByteArray::number(value.toLongLong()));
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UShort:
        case QMetaType::UChar:
            return scalar(depth, "integer", QByteArray::number(value.toULongLong()));
        case QMetaType::Double:
        case QMetaType::Float:
            return scalar(depth, "real", RealText(value.toDouble()));
        case QMetaType::QString: {
            const std::optional<QByteArray> text = Escaped(value.toString());
            return text && scalar(depth, "string", *text);
        }
        case QMetaType::QByteArray:
            return data(value.toByteArray(), depth);
        case QMetaType::QDateTime: {
            const std::optional<QByteArray> text = DateText(value.toDateTime());
            return text && scalar(depth, "date", *text);
        }
        case QMetaType::QVariantList:
        case QMetaType::QStringList:
            return container(depth, "array", [&] {
                for (const QVariant &item : value.toList())
                    if (!element(item, depth + 1))
                        return false;
                return true;
            });
        case QMetaType::QVariantMap: {
            const QVariantMap map = value.toMap();
            return container(depth, "dict", [&] {
                for (auto it = map.constBegin(); it != map.constEnd(); ++it)
                    if (!entry(it.key(), it.value(), depth + 1))
                        return false;
                return true;
            });
        }
        default:
            if (value.metaType() == QMetaType::fromType<PropertyListUid>())
                return container(depth, "dict", [&] {
                    return entry(QStringLiteral("CF$UID"),
                                 QVariant(value.value<PropertyListUid>().value), depth + 1);
                });
            return false;
        }
    }

    bool entry(const QString &key, const QVariant &value, int depth) {
        const std::optional<QByteArray> text = Escaped(key);
        return text && scalar(depth, "key", *text) && element(value, depth);
    }

    template <typename Items> bool container(int depth, const char *tag, Items items) {
        if (depth >= mMaxDepth || !counted())
            return false;
        const qsizetype open = mOut.size();
        line(depth, QByteArray("<") + tag + '>');
        const qsizetype empty = mOut.size();
        if (!items())
            return false;
        if (mOut.size() == empty) {
            mOut.truncate(open);
            line(depth, QByteArray("<") + tag + "/>");
        } else {
            line(depth, QByteArray("</") + tag + '>');
        }
        return true;
    }

    bool data(const QByteArray &bytes, int depth) {
        // As libplist: 76 characters a line, 8 fewer for each indent, which
        // stops at 8 tabs.
        const int indent = std::min(depth, 8);
        const qsizetype width = 76 - 8 * indent;
        const QByteArray base64 = bytes.toBase64();
        line(depth, "<data>");
        mOut.reserve(mOut.size() + base64.size() + (base64.size() / width + 1) * (indent + 1));
        for (qsizetype at = 0; at < base64.size(); at += width) {
            mOut.append(indent, '\t');
            mOut.append(QByteArrayView(base64).sliced(at, std::min(width, base64.size() - at)));
            mOut.append('\n');
        }
        line(depth, "</data>");
        return counted();
    }

    static QByteArray RealText(double d) {
        if (std::isnan(d))
            return "nan";
        if (std::isinf(d))
            return d > 0 ? "+infinity" : "-infinity";
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, d);
        return QByteArray(text, result.ptr - text);
    }

    // To the second, as every XML list writes dates.
    static std::optional<QByteArray> DateText(const QDateTime &moment) {
        if (!moment.isValid())
            return std::nullopt;
        const qint64 ms = ReferenceDate().msecsTo(moment);
        const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        const QDateTime utc = ReferenceDate().addSecs(seconds);
        const QDate date = utc.date();
        if (date.year() < 1 || date.year() > 9999)
            return std::nullopt;
        const QTime time = utc.time();
        return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", date.year(), date.month(),
                                 date.day(), time.hour(), time.minute(), time.second())
            .toLatin1();
    }

    // XML holds neither NUL nor U+FFFE and U+FFFF, not even as references,
    // and UTF-8 no lone surrogate. Other control characters are written as
    // they are, which the reader takes back; a carriage return as a
    // reference, which any reader keeps.
    static std::optional<QByteArray> Escaped(const QString &text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const bool paired =
                c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            if (paired)
                ++i;
            else if (c.isSurrogate() || c.unicode() == 0 || c.unicode() >= 0xFFFE)
                return std::nullopt;
        }
        QByteArray out;
        const QByteArray utf8 = text.toUtf8();
        out.reserve(utf8.size());
        for (char c : utf8) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
            }
        }
        return out;
    }

    const int mMaxDepth;
    const qint64 mMaxValues;
    QByteArray mOut;
    qint64 mValues = 0;
};

} // namespace

QByteArray WriteXmlPropertyList(const QVariant &value, int maxDepth, qint64 maxValues) {
    return Writer(maxDepth, maxValues).write(value);
}
