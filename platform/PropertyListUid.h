// SPDX-License-Identifier: MIT
#pragma once

#include <QMetaType>
#include <QtGlobal>

// An object reference of a keyed archive: a value of its own kind in a binary
// list, written in XML as Apple's tools write it,
// <dict><key>CF$UID</key><integer>n</integer></dict>, which reads back as one.
struct PropertyListUid {
    quint64 value = 0;
    friend bool operator==(const PropertyListUid &a, const PropertyListUid &b) {
        return a.value == b.value;
    }
};
Q_DECLARE_METATYPE(PropertyListUid)
