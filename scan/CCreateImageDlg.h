#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <string>

class EntryStore;
class QCheckBox;
class QComboBox;
class QLineEdit;

// The modal dialog that asks for a disc label and the drive (or folder) to catalogue.
class CCreateImageDlg : public QDialog {
    Q_OBJECT
public:
    // Scans the optical drives; HasDrives() tells whether any was found (the caller decides what follows).
    // Labels it proposes are made unique within `catalogue`, when given.
    explicit CCreateImageDlg(QWidget* parent = nullptr, const EntryStore* catalogue = nullptr);

    // True when the drive scan found at least one optical drive.
    bool HasDrives() const { return m_nDrives > 0; }
    // Runs the dialog; QDialog::Accepted after "Create" (m_strLabel, m_strDrive and m_bChecksums then hold
    // the input).
    int DoModal() { return exec(); }

    // Fills m_strDrives/m_nDrives; returns the first drive's root or "NULL" when there is none.
    std::string ListCdDrives();
    // Adds the found roots to the drive combo box (which keeps its list sorted).
    void FillDriveCombo();
    // Puts the volume label of the drive (or image) in the drive box into the label box, selected so that
    // typing replaces it; a label the person typed (anything but the last one proposed) stays. A label that
    // a disc of the catalogue carries already is proposed with a number: "CDROM (2)".
    void ProposeLabel();
    // Asks for the source of an update of the disc labelled `label` instead: the label shown and not to be
    // edited, `source` (the one its details keep, or the last one typed) in the drive box, "Update" in place
    // of "Create".
    void ForUpdate(const std::string& label, const std::string& source);
    // As ForUpdate, for a verify of the disc: "Verify Disc", "Verify" in place of "Create".
    void ForVerify(const std::string& label, const std::string& source);
    // Ticks "Record checksums" or not; it starts as the caller last saw it accepted.
    void SetChecksums(bool on);
    // Shows the dialog again as the person left it: `drive` in the drive box, `label` in the label box.
    void KeepTexts(const std::string& label, const std::string& drive);

    std::array<std::string, 10> m_strDrives;
    int m_nDrives = 0;
    std::string m_strLabel;     // what was typed as the disc label (UTF-8)
    std::string m_strDrive;     // the drive root or folder chosen or typed
    bool m_bChecksums = false;  // "Record checksums" was ticked: every file is read for its checksum

    QLineEdit* m_editLabel = nullptr;
    QComboBox* m_cbDrives = nullptr;
    QCheckBox* m_checkSums = nullptr;

protected:
    void accept() override;

private:
    // ForUpdate and ForVerify: the dialog asks for the source to read the disc again from.
    void ForReadAgain(const std::string& label, const std::string& source, const QString& title,
                      const QString& button);

    const EntryStore* m_pCatalogue;
    class QPushButton* m_pCreate = nullptr;
    QString m_strProposed;  // the label the drive box proposed last
    // Update Disc: the source the disc's details keep, as bytes and as the drive box showed it.
    std::string m_strKeptSource;
    QString m_strKeptShown;
};
