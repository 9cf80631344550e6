#include "ui/about_box.hpp"

#include <QMessageBox>
#include <QWidget>
#include <QtGlobal>

#include "ui/qt_services.hpp"
#include "version/version.hpp"

namespace quorvane::ui {

namespace {
constexpr char kAboutBoxName[] = "AboutBox";
// The one place the licence is named in the program.
constexpr char kLicence[] = "Licence: MIT. The program comes with no warranty.";
}  // namespace

QString aboutText() {
    return QStringLiteral(
               "<p><b>%1 %2</b></p>"
               "<p>Cuts Standard MIDI Files short: clean clips of the length you choose, "
               "one song at a time or a whole folder at once.</p>"
               "<p>%3</p>"
               "<p>Qt %4 (built with %5)</p>")
        .arg(QString::fromLatin1(kApplicationTitle), QStringLiteral(QUORVANE_VERSION), QString::fromLatin1(kLicence),
             QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
}

void showAboutBox(QWidget* owner) {
    if (auto* open = owner->findChild<QMessageBox*>(QString::fromLatin1(kAboutBoxName))) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* box = new QMessageBox(owner);
    box->setObjectName(QString::fromLatin1(kAboutBoxName));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QStringLiteral("About %1").arg(QString::fromLatin1(kApplicationTitle)));
    box->setTextFormat(Qt::RichText);
    box->setText(aboutText());
    box->setIconPixmap(owner->windowIcon().pixmap(64, 64));
    box->setStandardButtons(QMessageBox::Ok);
    // Not modal: Esc and the exit button still reach a batch running underneath.
    box->setWindowModality(Qt::NonModal);
    box->show();
}

}  // namespace quorvane::ui
