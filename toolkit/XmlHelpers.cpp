// SPDX-License-Identifier: MIT
#include "toolkit/XmlHelpers.h"

#include "platform/RegularFile.h"
#include "toolkit/Log.h"

#include <QStringList>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstdarg>
#include <cstdio>

namespace {

// While alive, libxml2's errors are collected here instead of being printed to
// standard error, which is libxml2's own habit. The handlers in force before
// are put back afterwards, so callers that install their own keep them.
class XmlErrorCapture {
public:
    XmlErrorCapture()
        : mStructured(xmlStructuredError), mStructuredContext(xmlStructuredErrorContext),
          mGeneric(xmlGenericError), mGenericContext(xmlGenericErrorContext) {
        xmlSetStructuredErrorFunc(this, &XmlErrorCapture::onError);
        xmlSetGenericErrorFunc(this, &XmlErrorCapture::onGenericError);
    }
    ~XmlErrorCapture() {
        xmlSetStructuredErrorFunc(mStructuredContext, mStructured);
        xmlSetGenericErrorFunc(mGenericContext, mGeneric);
    }
    XmlErrorCapture(const XmlErrorCapture &) = delete;
    XmlErrorCapture &operator=(const XmlErrorCapture &) = delete;

    // The first error explains a failure best; what follows is often its echo.
    QString description() const {
        if (!mFirstError.isEmpty())
            return mFirstError;
        if (!mFirstWarning.isEmpty())
            return mFirstWarning;
        return mGenericText.trimmed();
    }

private:
    static void onError(void *context, xmlErrorPtr error) {
        auto *self = static_cast<XmlErrorCapture *>(context);
        if (!error)
            return;
        QString text = QString::fromUtf8(error->message ? error->message : "").trimmed();
        if (text.isEmpty())
            text = QStringLiteral("XML error %1").arg(error->code);
        if (error->line > 0)
            text = QStringLiteral("line %1: %2").arg(error->line).arg(text);
        QString &slot = error->level >= XML_ERR_ERROR ? self->mFirstError : self->mFirstWarning;
        if (slot.isEmpty())
            slot = text;
    }

    static void onGenericError(void *context, const char *format, ...) {
        auto *self = static_cast<XmlErrorCapture *>(context);
        char buffer[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        if (self->mGenericText.size() < 4096)
            self->mGenericText += QString::fromUtf8(buffer);
    }

    xmlStructuredErrorFunc mStructured;
    void *mStructuredContext;
    xmlGenericErrorFunc mGeneric;
    void *mGenericContext;
    QString mFirstError;
    QString mFirstWarning;
    QString mGenericText;
};

struct XPathContextFree {
    void operator()(xmlXPathContext *context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject *object) const { xmlXPathFreeObject(object); }
};

} // namespace

XmlDocument ParseXMLFile(const QString &path, unsigned options, QString *errorDescription) {
    if (errorDescription)
        *errorDescription = QString();
    const auto fail = [&](const QString &why) {
        if (errorDescription)
            *errorDescription = why;
        return nullptr;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("No file to read"));
    // The bytes are read here rather than by libxml2: only a regular file of
    // sensible size is read, and the path is a file name, never a URI to
    // decode.
    QString readError;
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxSupportFileBytes, &readError);
    if (!bytes)
        return fail(QStringLiteral("Cannot read the XML file %1: %2").arg(path, readError));
    XmlErrorCapture capture;
    XmlDocument document;
    const int size = int(bytes->size());
    if (options & kXmlTidyHtml) {
        // The HTML parser repairs what it can; only a file it cannot read at
        // all counts as a failure.
        document.reset(htmlReadMemory(bytes->constData(), size, nullptr, nullptr,
                                      HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                                          HTML_PARSE_NOWARNING));
    } else {
        // No network and no entity substitution or external DTDs: a file must
        // not make the parser fetch or inline anything beyond itself.
        document.reset(xmlReadMemory(bytes->constData(), size, nullptr, nullptr, XML_PARSE_NONET));
    }
    if (!document) {
        QString error = capture.description();
        if (error.isEmpty())
            error = QStringLiteral("Cannot read the XML file %1").arg(path);
        return fail(error);
    }
    return document;
}

XmlDocument LoadXMLDocument(const QString &path, unsigned options) {
    QString error;
    XmlDocument document = ParseXMLFile(path, options, &error);
    if (!document)
        LogError(error);
    return document;
}

std::optional<QList<xmlNode *>> NodesForXPath(xmlNode *node, const QString &expression) {
    if (!node || !node->doc)
        return std::nullopt;
    XmlErrorCapture capture;
    std::unique_ptr<xmlXPathContext, XPathContextFree> context(xmlXPathNewContext(node->doc));
    if (!context) {
        LogError(QStringLiteral("Cannot evaluate XPath expressions"));
        return std::nullopt;
    }
    context->node = node;
    const QByteArray query = expression.toUtf8();
    std::unique_ptr<xmlXPathObject, XPathObjectFree> result(xmlXPathEvalExpression(
        reinterpret_cast<const xmlChar *>(query.constData()), context.get()));
    if (!result) {
        QString error = capture.description();
        if (error.isEmpty())
            error = QStringLiteral("Invalid XPath expression");
        LogError(error);
        return std::nullopt;
    }
    if (result->type != XPATH_NODESET) {
        LogError(QStringLiteral("The XPath expression does not select nodes"));
        return std::nullopt;
    }
    QList<xmlNode *> nodes;
    if (xmlNodeSet *set = result->nodesetval) {
        xmlXPathNodeSetSort(set);
        nodes.reserve(set->nodeNr);
        for (int i = 0; i < set->nodeNr; ++i) {
            xmlNode *found = set->nodeTab[i];
            // Namespace nodes are copies that die with the query's result;
            // handing them out would leave the caller a dangling pointer.
            if (found && found->type != XML_NAMESPACE_DECL)
                nodes.append(found);
        }
    }
    return nodes;
}

xmlNode *FirstNodeForXPath(xmlNode *node, const QString &expression) {
    const std::optional<QList<xmlNode *>> nodes = NodesForXPath(node, expression);
    if (!nodes || nodes->isEmpty())
        return nullptr;
    return nodes->first();
}

QString StringForXPath(xmlNode *node, const QString &expression) {
    return NodeStringValue(FirstNodeForXPath(node, expression));
}

xmlNode *FirstElementNamed(xmlNode *element, const QString &name) {
    if (!element || name.isNull())
        return nullptr;
    for (xmlNode *child = element->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && NodeName(child) == name)
            return child;
    }
    return nullptr;
}

QString ChildElementText(xmlNode *element, const QString &name) {
    return NodeStringValue(FirstElementNamed(element, name));
}

QString NodeName(const xmlNode *node) {
    if (!node || !node->name)
        return {};
    const QString local = QString::fromUtf8(reinterpret_cast<const char *>(node->name));
    if (node->type == XML_ELEMENT_NODE && node->ns && node->ns->prefix)
        return QString::fromUtf8(reinterpret_cast<const char *>(node->ns->prefix)) +
               QLatin1Char(':') + local;
    return local;
}

QString NodeStringValue(xmlNode *node) {
    if (!node)
        return {};
    xmlChar *content = xmlNodeGetContent(node);
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(content));
    xmlFree(content);
    if (text.isNull())
        text = QStringLiteral("");
    return text;
}
