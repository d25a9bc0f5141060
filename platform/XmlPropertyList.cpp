// SPDX-License-Identifier: MIT
#include "platform/XmlPropertyList.h"

#include <QDateTime>
#include <QTimeZone>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <limits>
#include <vector>

#include <libxml/parser.h>

namespace {

// XML 1.0 has no room for control characters other than tab and line ends,
// not even as references, and libxml2 refuses them; yet libplist writes them
// as they are, and a NUL inside a text has always just ended that text. So
// before parsing, each such byte b becomes the noncharacter U+FDD0 + b
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

// The control characters back in a text; a NUL ends it.
QByteArray WithoutStandIns(const QByteArray &text) {
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
        if (c == '\0')
            break;
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

// Property-list dates count seconds from the start of 2001 (UTC), in 32 bits.
const QDateTime &ReferenceDate() {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

// A sign, then a number in C's notation: decimal, 0x hexadecimal or 0 octal.
// Beyond the 64 bits the largest value; beyond qint64 a quint64.
QVariant IntegerValue(const QByteArray &text) {
    QByteArray digits = Trimmed(text);
    const bool negative = digits.startsWith('-');
    if (negative || digits.startsWith('+'))
        digits.remove(0, 1);
    const quint64 magnitude = std::strtoull(digits.constData(), nullptr, 0);
    if (negative)
        return QVariant(static_cast<qint64>(0 - magnitude));
    if (magnitude > quint64(std::numeric_limits<qint64>::max()))
        return QVariant(magnitude);
    return QVariant(static_cast<qint64>(magnitude));
}

// The number the text begins with, whatever the locale; 0 when none.
QVariant RealValue(const QByteArray &text) {
    QByteArray number = Trimmed(text);
    const bool negative = number.startsWith('-');
    if (negative || number.startsWith('+'))
        number.remove(0, 1);
    double value = 0;
    const char *begin = number.constData();
    const char *end = begin + number.size();
    if (number.startsWith("0x") || number.startsWith("0X"))
        std::from_chars(begin + 2, end, value, std::chars_format::hex);
    else
        std::from_chars(begin, end, value);
    return QVariant(negative ? -value : value);
}

// Base64 with any line breaks and indentation; empty when it is not base64.
QVariant DataValue(const QByteArray &text) {
    QByteArray compact;
    compact.reserve(text.size());
    for (char c : text)
        if (!IsBlank(c))
            compact += c;
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    return QVariant(decoded ? *decoded : QByteArray(""));
}

// "2019-05-04T10:30:15Z", to the second; an empty date is the reference
// date. Dates beyond what a property list holds are left out, as the
// settings could not be written back with them.
QVariant DateValue(const QByteArray &text) {
    const QByteArray trimmed = Trimmed(text);
    if (trimmed.isEmpty())
        return QVariant(ReferenceDate());
    const QDate date = QDate::fromString(QString::fromLatin1(trimmed.left(10)), Qt::ISODate);
    const QTime time =
        QTime::fromString(QString::fromLatin1(trimmed.mid(11, 8)), QStringLiteral("HH:mm:ss"));
    if (trimmed.size() < 19 || trimmed[10] != 'T' || !date.isValid() || !time.isValid())
        return {};
    const QDateTime moment(date, time, Qt::UTC);
    const qint64 seconds = ReferenceDate().secsTo(moment);
    if (seconds < std::numeric_limits<qint32>::min() ||
        seconds > std::numeric_limits<qint32>::max())
        return {};
    return QVariant(moment);
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

    QVariant parse(const QByteArray &bytes) {
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
        switch (frame.kind) {
        case Frame::Array:
            --b->mDepth;
            value = QVariant(std::move(frame.list));
            break;
        case Frame::Dict:
            // A key without a value is left out.
            --b->mDepth;
            value = QVariant(std::move(frame.map));
            break;
        case Frame::Plist:
            if (!frame.hasValue)
                return b->fail();
            value = std::move(frame.value);
            break;
        default:
            if (b->mStandIns)
                frame.text = WithoutStandIns(frame.text);
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

    static QVariant scalar(const QByteArray &name, const QByteArray &text) {
        if (name == "integer")
            return IntegerValue(text);
        if (name == "real")
            return RealValue(text);
        if (name == "true" || name == "false")
            return QVariant(name == "true");
        if (name == "date")
            return DateValue(text);
        if (name == "data")
            return DataValue(text);
        return TextValue(text);
    }

    // Values that cannot be read (a malformed date) are left out of their
    // container, as the binary reader leaves out what it cannot map.
    void add(Frame &parent, QVariant value) {
        switch (parent.kind) {
        case Frame::Array:
            if (value.isValid())
                parent.list.append(std::move(value));
            break;
        case Frame::Dict:
            if (!parent.hasKey)
                return fail();
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
};

} // namespace

QVariant ReadXmlPropertyList(const QByteArray &bytes, int maxDepth, qint64 maxValues) {
    // UTF-16 lists hold NULs in every other byte; those are left as they are.
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    const bool standIns = !utf16 && std::any_of(bytes.cbegin(), bytes.cend(), IsControl);
    const QByteArray input = standIns ? WithStandIns(bytes) : bytes;
    if (input.isEmpty() || input.size() > INT_MAX)
        return {};
    return Builder(maxDepth, maxValues, standIns).parse(input);
}
