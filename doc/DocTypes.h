// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariant>

// The document-type table "DocTypes.plist" of the resource bundle, parsed once
// per resource folder. A table that is missing, cannot be parsed or has not
// the shape of one (a dictionary whose "Quark" is a dictionary) is a damaged
// installation: every call tries again and answers an invalid QVariant. Its
// entries are read with their own tolerances by identification.
const QVariant &DocTypes();

// Where the table belongs: "DocTypes.plist" in the resource folder; absent
// without a resource bundle.
QString DocTypesPath();

// The signature key of a QuarkXPress head: bytes 0 to 13 as 28 uppercase hex
// digits, byte 0 always written as "00".
QString QuarkSignatureKey(const unsigned char *head);
