// SPDX-License-Identifier: MIT
// Arbitrary pages dropped on Tavo: repaired as HTML, then the head's meta
// tags read as the drop view reads them, and a plain XML reading as well.

#include "FuzzSupport.h"

#include "toolkit/XmlHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StartFuzzProcess();
    const QString path = WriteFuzzFile(QStringLiteral("page.html"), data, size);

    const XmlDocument page = LoadXMLDocument(path, kXmlTidyHtml);
    if (page) {
        xmlNode *root = xmlDocGetRootElement(page.get());
        xmlNode *head = FirstElementNamed(root, QStringLiteral("head"));
        StringForXPath(head, QStringLiteral("meta[@name='jahr']/@content"));
        StringForXPath(head, QStringLiteral("meta[@name='kw']/@content"));
        StringForXPath(head, QStringLiteral("meta[@name='cmspage_title_nr']/@content"));
        StringForXPath(root, QStringLiteral("//title"));
        NodesForXPath(root, QStringLiteral("//@*"));
    }

    const XmlDocument xml = LoadXMLDocument(path, 0);
    if (xml) {
        xmlNode *root = xmlDocGetRootElement(xml.get());
        ChildElementText(root, QStringLiteral("head"));
        NodeStringValue(root);
    }
    return 0;
}
