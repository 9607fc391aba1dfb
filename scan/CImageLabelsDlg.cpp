#include "scan/CImageLabelsDlg.h"

#include <QAbstractItemDelegate>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "res/Skin.h"
#include "res/Texts.h"

CImageLabelsDlg::CImageLabelsDlg(const std::vector<std::string>& images,
                                 const std::vector<std::string>& labels, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Catalogue Disc Images"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("Each disc image becomes one disc. Check the labels, or type others:"), this);
    layout->addWidget(intro);

    m_listImages = new QTableWidget(static_cast<int>(images.size()), 2, this);
    m_listImages->setHorizontalHeaderLabels({tr("Disc image"), tr("Label")});
    m_listImages->verticalHeader()->hide();
    m_listImages->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_listImages->setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing on a label replaces it, as in the create-image dialog's label box.
    m_listImages->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed);
    m_listImages->setTabKeyNavigation(false);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int row = static_cast<int>(i);
        const QString path =
            QString::fromLocal8Bit(images[i].data(), static_cast<qsizetype>(images[i].size()));
        auto* image = new QTableWidgetItem(QFileInfo(path).fileName());
        image->setToolTip(path);
        image->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_listImages->setItem(row, kImageColumn, image);
        m_listImages->setItem(row, kLabelColumn,
                              new QTableWidgetItem(i < labels.size() ? ToQString(labels[i]) : QString()));
    }
    m_listImages->resizeColumnToContents(kImageColumn);
    m_listImages->horizontalHeader()->setStretchLastSection(true);
    m_listImages->setMinimumWidth(480);
    intro->setBuddy(m_listImages);
    layout->addWidget(m_listImages);
    m_checkSums = new QCheckBox(tr("&Record checksums"), this);
    layout->addWidget(m_checkSums);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* catalogue = buttons->addButton(tr("Catalogue"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    catalogue->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    skin::ApplySkin(this);
    if (!images.empty()) m_listImages->setCurrentCell(0, kLabelColumn);
    m_listImages->setFocus();
}

std::vector<std::string> CImageLabelsDlg::Labels() const {
    std::vector<std::string> labels;
    for (int row = 0; row < m_listImages->rowCount(); ++row) {
        const QTableWidgetItem* item = m_listImages->item(row, kLabelColumn);
        labels.push_back(item ? FromQString(item->text()) : std::string{});
    }
    return labels;
}

bool CImageLabelsDlg::Checksums() const {
    return m_checkSums->isChecked();
}

void CImageLabelsDlg::SetChecksums(bool on) {
    m_checkSums->setChecked(on);
}

void CImageLabelsDlg::accept() {
    // A label still being typed when "Catalogue" is pressed counts as typed.
    if (QWidget* editor = m_listImages->indexWidget(m_listImages->currentIndex())) {
        emit m_listImages->itemDelegate()->commitData(editor);
        emit m_listImages->itemDelegate()->closeEditor(editor);
    }
    QDialog::accept();
}
