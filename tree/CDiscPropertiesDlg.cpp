#include "tree/CDiscPropertiesDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CDiscPropertiesDlg::CDiscPropertiesDlg(const discprops::DiscDetails& details, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Disc Properties"));
    auto* form = new QFormLayout;
    const auto addValue = [this, form](const QString& caption, const QString& value) {
        auto* shown = new QLabel(value, this);
        // Labels, paths and serial numbers are worth copying out.
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        shown->setTextFormat(Qt::PlainText);
        form->addRow(caption + QLatin1Char(':'), shown);
    };
    addValue(QStringLiteral("Label"), details.label);
    for (const auto& [caption, value] : details.lines) addValue(caption, value);

    m_editLocation = new QLineEdit(details.location, this);
    m_editLocation->setPlaceholderText(QStringLiteral("Box 12, shelf 3"));
    form->addRow(QStringLiteral("&Location:"), m_editLocation);
    m_editNotes = new QPlainTextEdit(details.notes, this);
    m_editNotes->setTabChangesFocus(true);
    form->addRow(QStringLiteral("&Notes:"), m_editNotes);
    m_strLocationGiven = details.location;
    m_strLocationShown = m_editLocation->text();
    m_strNotesGiven = details.notes;
    m_strNotesShown = m_editNotes->toPlainText();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_editLocation->setFocus();
    resize(420, sizeHint().height());
}

QString CDiscPropertiesDlg::Location() const {
    const QString typed = m_editLocation->text();
    return typed == m_strLocationShown ? m_strLocationGiven : typed;
}

QString CDiscPropertiesDlg::Notes() const {
    const QString typed = m_editNotes->toPlainText();
    return typed == m_strNotesShown ? m_strNotesGiven : typed;
}
