// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

#include <libxml/tree.h>

// Tolerant helpers over libxml2 trees: a failed parse or query gives an
// absent result, and the error's description goes to the log.

struct XmlDocFree {
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
using XmlDocument = std::unique_ptr<xmlDoc, XmlDocFree>;

// Option bit 9 (512) repairs HTML into a tree, as libxml2's HTML parser does.
inline constexpr unsigned kXmlTidyHtml = 1u << 9;

// Only a regular file is read (see RegularFile.h), and the path is a file
// name, never a URI.
XmlDocument LoadXMLDocument(const QString &path, unsigned options);
// As LoadXMLDocument, but the parser's error description goes to the caller
// instead of the log (for readers that report it some other way).
XmlDocument ParseXMLFile(const QString &path, unsigned options, QString *errorDescription);
// Absent on an error, empty when nothing matches; document order.
std::optional<QList<xmlNode *>> NodesForXPath(xmlNode *node, const QString &expression);
xmlNode *FirstNodeForXPath(xmlNode *node, const QString &expression);
QString StringForXPath(xmlNode *node, const QString &expression);
xmlNode *FirstElementNamed(xmlNode *element, const QString &name);
// The string value of that child; absent when there is none, empty when it is empty.
QString ChildElementText(xmlNode *element, const QString &name);
// The qualified name ("prefix:local") of an element, the local name otherwise.
QString NodeName(const xmlNode *node);
// All character data inside a node, joined in document order; never absent
// for an existing node.
QString NodeStringValue(xmlNode *node);
