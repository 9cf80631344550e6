#include "ui/about_box.hpp"

#include <QMessageBox>
#include <QWidget>
#include <QtGlobal>

#include "ui/face_texts.hpp"
#include "ui/qt_services.hpp"
#include "version/version.hpp"

namespace quorvane::ui {

namespace {
constexpr char kAboutBoxName[] = "AboutBox";
QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

QString aboutText() {
    return QStringLiteral(
               "<p><b>%1 %2</b></p>"
               "<p>%3</p>"
               "<p>%4</p>"
               "<p>Qt %5 (built with %6)</p>")
        .arg(QString::fromLatin1(kApplicationTitle), QStringLiteral(QUORVANE_VERSION), text(texts::kAbout),
             text(texts::kLicence), QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
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
