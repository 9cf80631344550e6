#include "ui/stored_design.hpp"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>
#include <limits>

namespace quorvane::ui {

namespace {

[[noreturn]] void fail(const QString& where, const QString& why) {
    throw DesignError((where + QStringLiteral(": ") + why).toStdString());
}

// JSON numbers are doubles: whole numbers are exact up to 2^53.
constexpr double kLargestExact = 9007199254740992.0;

std::int64_t wholeNumber(const QJsonValue& value, const QString& where) {
    if (value.isString()) {
        const QString text = value.toString();
        bool ok = false;
        const qlonglong number = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                                     ? text.mid(2).toLongLong(&ok, 16)
                                     : text.toLongLong(&ok, 10);
        if (!ok) fail(where, QStringLiteral("\"%1\" is not a number").arg(text));
        return number;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > kLargestExact) {
        fail(where, QStringLiteral("%1 is not a whole number").arg(number));
    }
    return static_cast<std::int64_t>(number);
}

PropertyValue propertyValue(const QJsonValue& value, const QString& where,
                            const StoredDesign::PictureLoader& loadPicture) {
    switch (value.type()) {
        case QJsonValue::Bool: return value.toBool();
        case QJsonValue::Double:
        case QJsonValue::String: return wholeNumber(value, where);
        case QJsonValue::Object: {
            const QJsonObject object = value.toObject();
            const QJsonValue name = object.value(QStringLiteral("picture"));
            if (object.size() != 1 || !name.isString()) fail(where, QStringLiteral("expected {\"picture\": NAME}"));
            Picture picture = loadPicture(name.toString());
            if (!picture.IsPresent()) fail(where, QStringLiteral("no picture named %1").arg(name.toString()));
            return picture;
        }
        default: fail(where, QStringLiteral("a flag, a number or a picture is expected"));
    }
}

}  // namespace

int himetricToPixels(long long himetric) {
    return static_cast<int>(std::llround(static_cast<double>(himetric) * 96.0 / 2540.0));
}

StoredDesign StoredDesign::parse(const QByteArray& json, const PictureLoader& loadPicture) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull()) fail(QStringLiteral("design"), error.errorString());
    if (!document.isObject()) fail(QStringLiteral("design"), QStringLiteral("an object of controls is expected"));

    StoredDesign design;
    const QJsonObject controls = document.object();
    for (auto c = controls.begin(); c != controls.end(); ++c) {
        if (!c.value().isObject()) fail(c.key(), QStringLiteral("an object of properties is expected"));
        StoredControl control;
        std::int64_t extentX = -1;
        std::int64_t extentY = -1;
        const QJsonObject properties = c.value().toObject();
        for (auto p = properties.begin(); p != properties.end(); ++p) {
            const QString where = c.key() + QLatin1Char('.') + p.key();
            if (p.key().compare(QStringLiteral("_extentx"), Qt::CaseInsensitive) == 0) {
                extentX = wholeNumber(p.value(), where);
            } else if (p.key().compare(QStringLiteral("_extenty"), Qt::CaseInsensitive) == 0) {
                extentY = wholeNumber(p.value(), where);
            } else {
                const std::string key = p.key().toStdString();
                if (control.properties.ReadProperty(key)) fail(where, QStringLiteral("stored twice"));
                control.properties.WriteProperty(key, propertyValue(p.value(), where, loadPicture));
            }
        }
        if (extentX < 0 || extentY < 0 || extentX > std::numeric_limits<int>::max() ||
            extentY > std::numeric_limits<int>::max()) {
            fail(c.key(), QStringLiteral("_extentx and _extenty must give the control's size"));
        }
        control.extent = QSize(himetricToPixels(extentX), himetricToPixels(extentY));
        design.controls_.emplace(c.key().toStdString(), std::move(control));
    }
    return design;
}

StoredDesign StoredDesign::load(const QString& path, const PictureLoader& loadPicture) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) fail(path, file.errorString());
    try {
        return parse(file.readAll(), loadPicture);
    } catch (const DesignError& error) {
        fail(path, QString::fromStdString(error.what()));
    }
}

const StoredControl& StoredDesign::control(const std::string& name) const {
    const auto found = controls_.find(name);
    if (found == controls_.end()) fail(QString::fromStdString(name), QStringLiteral("not in the design"));
    return found->second;
}

}  // namespace quorvane::ui
