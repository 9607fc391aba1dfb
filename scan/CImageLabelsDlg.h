#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QTableWidget;

// The modal list of the disc images about to be catalogued, one row each, where the person confirms or
// edits the label every image's disc will get.
class CImageLabelsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kImageColumn = 0;
    static constexpr int kLabelColumn = 1;

    // Lists `images` (paths) with the labels proposed for them, in the same order.
    CImageLabelsDlg(const std::vector<std::string>& images, const std::vector<std::string>& labels,
                    QWidget* parent = nullptr);

    // Runs the dialog; QDialog::Accepted after "Catalogue".
    int DoModal() { return exec(); }
    // The labels as they stand now, in the order of the images.
    std::vector<std::string> Labels() const;
    // "Record checksums": ticked when every file of every image is to be read for its checksum.
    bool Checksums() const;
    void SetChecksums(bool on);

    QTableWidget* m_listImages = nullptr;
    QCheckBox* m_checkSums = nullptr;

protected:
    void accept() override;
};
