#include "scan/CCreateImageDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "catalogue/Disc.h"
#include "platform/Drives.h"
#include "platform/VolumeLabel.h"
#include "res/DialogUnitLayout.h"
#include "res/Skin.h"
#include "res/Texts.h"

CCreateImageDlg::CCreateImageDlg(QWidget* parent, const EntryStore* catalogue)
    : QDialog(parent), m_pCatalogue(catalogue) {
    m_strDrive = ListCdDrives();
    if (m_strDrive == "NULL") m_strDrive.clear();

    setWindowTitle(QStringLiteral("Create image file directory"));
    setFont(QFont(QStringLiteral("Verdana"), 9));
    DialogUnitLayout layout(font());

    // Created in the order the focus moves through them: label, Create, Cancel, drive, checksums.
    m_editLabel = new QLineEdit(this);
    layout.Add(m_editLabel, {106, 31, 107, 12}, false);

    auto* create = new QPushButton(QStringLiteral("Create"), this);
    m_pCreate = create;
    create->setDefault(true);
    connect(create, &QPushButton::clicked, this, &QDialog::accept);
    layout.Add(create, {64, 86, 42, 13}, true);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout.Add(cancel, {113, 86, 42, 13}, true);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(iconSize, iconSize));
    layout.Add(icon, {7, 34, 0, 0}, false);

    auto* labelCaption = new QLabel(QStringLiteral("CD External Feature:"), this);
    labelCaption->setBuddy(m_editLabel);
    layout.Add(labelCaption, {36, 33, 67, 13}, true);

    auto* driveCaption = new QLabel(QStringLiteral("CD Driver:"), this);
    driveCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout.Add(driveCaption, {53, 58, 50, 10}, true);

    m_cbDrives = new QComboBox(this);
    m_cbDrives->setEditable(true);
    // Enter in the edit field means "Create", as everywhere else in the dialog, not "add to the list".
    m_cbDrives->setInsertPolicy(QComboBox::NoInsert);
    m_cbDrives->setMaxVisibleItems(10);
    layout.Add(m_cbDrives, {106, 56, 40, 0}, false);

    // Reading every file takes as long as copying the disc, so it is asked for, never assumed.
    m_checkSums = new QCheckBox(QStringLiteral("&Record checksums"), this);
    layout.Add(m_checkSums, {106, 71, 107, 10}, true);

    auto* intro =
        new QLabel(QStringLiteral("Scan all files and create a image file directory at here."), this);
    layout.Add(intro, {36, 7, 177, 9}, true);

    for (QWidget* passive : {static_cast<QWidget*>(icon), static_cast<QWidget*>(labelCaption),
                             static_cast<QWidget*>(driveCaption), static_cast<QWidget*>(intro)})
        passive->setFocusPolicy(Qt::NoFocus);
    setTabOrder(m_editLabel, create);
    setTabOrder(create, cancel);
    setTabOrder(cancel, m_cbDrives);
    setTabOrder(m_cbDrives, m_checkSums);

    skin::ApplySkin(this);
    layout.Apply(this, 220, 106);
    FillDriveCombo();
    // Adding the first root selects it; the edit field shows the first drive whatever the sorting did.
    m_cbDrives->setEditText(ToQString(m_strDrive));
    ProposeLabel();
    // Picking another drive, or typing the path of an image, proposes that volume's label instead.
    connect(m_cbDrives, &QComboBox::editTextChanged, this, &CCreateImageDlg::ProposeLabel);
    m_editLabel->setFocus();
}

void CCreateImageDlg::ProposeLabel() {
    if (m_editLabel->text() != m_strProposed) return;
    std::string label = platform::VolumeLabel(FromQString(m_cbDrives->currentText()));
    if (m_pCatalogue) label = catalogue::UniqueLabel(*m_pCatalogue, label);
    m_strProposed = ToQString(label);
    m_editLabel->setText(m_strProposed);
    m_editLabel->selectAll();
}

void CCreateImageDlg::ForUpdate(const std::string& label, const std::string& source) {
    ForReadAgain(label, source, QStringLiteral("Update Disc"), QStringLiteral("Update"));
}

void CCreateImageDlg::ForVerify(const std::string& label, const std::string& source) {
    ForReadAgain(label, source, QStringLiteral("Verify Disc"), QStringLiteral("Verify"));
}

void CCreateImageDlg::SetChecksums(bool on) {
    m_checkSums->setChecked(on);
}

void CCreateImageDlg::ForReadAgain(const std::string& label, const std::string& source, const QString& title,
                                   const QString& button) {
    setWindowTitle(title);
    m_pCreate->setText(button);
    // Whether checksums are read follows the disc: it is read again as it was catalogued.
    m_checkSums->hide();
    // The label box stops proposing volume labels: the disc keeps the label it has.
    m_strProposed = QStringLiteral("\n");
    if (!source.empty()) m_cbDrives->setEditText(ToQString(source));
    // A kept source that is not UTF-8 shows as Windows-1252; left as shown, it is walked as it was kept.
    m_strKeptSource = source;
    m_strKeptShown = m_cbDrives->currentText();
    m_editLabel->setText(ToQString(label));
    m_editLabel->setReadOnly(true);
    m_cbDrives->setFocus();
}

void CCreateImageDlg::KeepTexts(const std::string& label, const std::string& drive) {
    // The drive first: a drive of its own proposes a label, which the label kept then replaces.
    m_cbDrives->setEditText(ToQString(drive));
    m_editLabel->setText(ToQString(label));
    m_editLabel->selectAll();
}

std::string CCreateImageDlg::ListCdDrives() {
    // Each scan starts from empty slots, so no root of an earlier scan is left behind.
    m_strDrives.fill({});
    m_nDrives = static_cast<int>(platform::FillDriveSlots(m_strDrives));
    return m_nDrives > 0 ? m_strDrives[0] : std::string("NULL");
}

void CCreateImageDlg::FillDriveCombo() {
    for (int i = 0; i < m_nDrives; ++i) {
        const QString root = ToQString(m_strDrives[static_cast<std::size_t>(i)]);
        int at = 0;
        while (at < m_cbDrives->count() && m_cbDrives->itemText(at).compare(root, Qt::CaseInsensitive) <= 0)
            ++at;
        m_cbDrives->insertItem(at, root);
    }
}

void CCreateImageDlg::accept() {
    m_strLabel = FromQString(m_editLabel->text());
    m_bChecksums = !m_checkSums->isHidden() && m_checkSums->isChecked();
    const QString typed = m_cbDrives->currentText();
    m_strDrive = !m_strKeptSource.empty() && typed == m_strKeptShown ? m_strKeptSource : FromQString(typed);
    QDialog::accept();
}
