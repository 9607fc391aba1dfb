#pragma once

#include <QCoreApplication>
#include <initializer_list>
#include <string>
#include <string_view>

#include "catalogue/CKavrelDoc.h"

namespace edit_test {

// One entry to put into a catalogue under test: its label and its name (kind, path and size are filler).
struct Entry {
    std::string label;
    std::string name;
};

// Fills `doc` with the entries in order and leaves it unmodified, as if just opened.
inline void Fill(CKavrelDoc& doc, std::initializer_list<Entry> entries) {
    doc.OnNewDocument();
    for (const Entry& e : entries) doc.AppendEntry(e.label, e.name, "file ", "\\", "1");
    doc.SetModifiedFlag(false);
}

// Labels of the entries in array order, deleted ones as "".
inline std::string Labels(const CKavrelDoc& doc) {
    std::string out;
    for (std::size_t i = 0; i < doc.Entries().Size(); ++i) {
        if (i > 0) out += ',';
        out += doc.Entries().Label(i);
    }
    return out;
}

}  // namespace edit_test
