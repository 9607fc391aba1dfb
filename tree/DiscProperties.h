#pragma once

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/Disc.h"

class CKavrelDoc;

// What "Disc Properties..." shows of a disc and what it changes, without widgets: the dialog only lays
// these out and hands back what was typed.
namespace discprops {

struct DiscDetails {
    QString label;                                   // the disc's label, as shown
    std::vector<std::pair<QString, QString>> lines;  // caption and value of each detail, top to bottom
    QString location;                                // the user's texts, as shown
    QString notes;
};

// The details of `disc`: what the walk read of it (unknown ones say so), its entries, and the user's texts.
DiscDetails DetailsOf(const CKavrelDoc& doc, const catalogue::Disc& disc);

// Keeps `location` and `notes` as typed for `disc`: stores its record and marks the catalogue modified when
// they differ from what it had. A text given back as it was shown keeps its bytes, even when they are not
// UTF-8. Returns true when anything changed; false, changing nothing, for a disc without entries.
bool StoreUserTexts(CKavrelDoc& doc, const catalogue::Disc& disc, const QString& location,
                    const QString& notes);

}  // namespace discprops
