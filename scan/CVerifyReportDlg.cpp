#include "scan/CVerifyReportDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "res/Skin.h"
#include "res/Texts.h"

CVerifyReportDlg::CVerifyReportDlg(const std::vector<scan::VerifyLine>& lines, const std::string& summary,
                                   const std::string& label, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Verify Disc"));
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(tr("Files of %1 that do not read as they were catalogued:").arg(ToQString(label)), this);
    layout->addWidget(intro);

    m_pFiles = new QTreeWidget(this);
    m_pFiles->setHeaderLabels({tr("Result"), tr("File"), tr("Reason")});
    m_pFiles->setRootIsDecorated(false);
    // A damaged disc can list thousands of files: uniform rows are laid out without measuring each.
    m_pFiles->setUniformRowHeights(true);
    QList<QTreeWidgetItem*> rows;
    for (const scan::VerifyLine& line : lines)
        rows << new QTreeWidgetItem({ToQString(line.finding), ToQString(line.file), ToQString(line.reason)});
    m_pFiles->addTopLevelItems(rows);
    m_pFiles->resizeColumnToContents(0);
    m_pFiles->setColumnWidth(1, 300);
    intro->setBuddy(m_pFiles);
    layout->addWidget(m_pFiles);

    m_pSummary = new QLabel(ToQString(summary), this);
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_pSummary);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    skin::ApplySkin(this);
    resize(640, 400);
    m_pFiles->setFocus();
}
