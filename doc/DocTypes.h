// SPDX-License-Identifier: MIT
#pragma once

#include <QVariant>

// The document-type table "DocTypes.plist" of the resource bundle, parsed once
// per process. While the resource is missing or unparsable every call tries
// again and answers an invalid QVariant.
const QVariant &DocTypes();

// The signature key of a QuarkXPress head: bytes 0 to 13 as 28 uppercase hex
// digits, byte 0 always written as "00".
QString QuarkSignatureKey(const unsigned char *head);
