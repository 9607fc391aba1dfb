#pragma once

#include <string>
#include <vector>

#include "DriveEnv.h"
#include "RecordingView.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"

// Optical drive E: mapped to a fresh folder for the object's lifetime, or no optical drive at all.
class FakeDrive : public TempFolder {
public:
    explicit FakeDrive(bool withDrive = true) : m_env(withDrive ? "E=" + Root() : "") {}

private:
    DriveEnv m_env;
};

// A disc record that holds only where the disc is kept.
inline catalogue::DiscRecord KeptAt(std::string location) {
    catalogue::DiscRecord record;
    record.location = std::move(location);
    return record;
}

class DetailListModel;
// Row texts of one column, top to bottom.
std::vector<std::string> ColumnTexts(const DetailListModel& model, int column);
// Headings of the model's columns, left to right.
std::vector<std::string> Headings(const DetailListModel& model);
