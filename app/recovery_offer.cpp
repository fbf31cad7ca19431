#include "app/recovery_offer.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <memory>

#include "core/catalogue_file.h"
#include "core/catalogue_recovery.h"
#include "core/ov2_doc.h"
#include "platform/message_box.h"

namespace ov2 {
namespace {

std::string TimeText(const QDateTime& when) {
    const QString format = when.date() == QDate::currentDate()
                               ? QStringLiteral("HH:mm")
                               : QStringLiteral("MMMM dd yyyy HH:mm");
    return QLocale::c().toString(when, format).toStdString();
}

// How the recovered catalogue differs from the saved file, in discs.
std::string DiscsText(const COvDiscDatabase& recovered, const QString& original) {
    const auto discs = static_cast<long long>(recovered.m_lstDiscs.size());
    COvDiscDatabase saved;
    std::string error;
    if (original.isEmpty() || !ReadCatalogueFile(original.toStdString(), saved, &error))
        return std::to_string(discs) + (discs == 1 ? " disc" : " discs") + ", never saved";
    const long long more = discs - static_cast<long long>(saved.m_lstDiscs.size());
    if (more == 0) return "as many discs as the saved file";
    const long long count = more > 0 ? more : -more;
    return std::to_string(count) + (count == 1 ? " disc " : " discs ") +
           (more > 0 ? "more" : "fewer") + " than the saved file";
}

}  // namespace

void OfferRecovery(COv2Doc& doc) {
    for (const CCatalogueRecovery::Copy& copy : CCatalogueRecovery::LeftBehind()) {
        const std::string name = copy.original.isEmpty()
                                     ? std::string("Untitled")
                                     : QFileInfo(copy.original).fileName().toStdString();
        auto recovered = std::make_unique<COvDiscDatabase>();
        std::string error;
        if (!ReadCatalogueFile(copy.copyPath.toStdString(), *recovered, &error)) {
            const QString aside = CCatalogueRecovery::SetAside(copy);
            OvMessageBox("The unsaved changes to " + name + " that Ov2 kept do not read (" + error +
                             "). They are kept as " + aside.toStdString() + ".",
                         MsgButtons::Ok, MsgIcon::Warning);
            continue;
        }
        const std::string text = "Ov2 was closed with unsaved changes to " + name +
                                 " (last change " + TimeText(copy.lastChange) + ", " +
                                 DiscsText(*recovered, copy.original) + "). Recover them?";
        if (OvMessageBox(text, MsgButtons::YesNo, MsgIcon::Question, MsgResult::Yes,
                         {"Recover", "Discard"}) != MsgResult::Yes) {
            CCatalogueRecovery::Delete(copy);
            continue;
        }
        doc.Recover(copy, std::move(recovered));
        return;
    }
}

}  // namespace ov2
