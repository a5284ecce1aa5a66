#pragma once
// The maker's links: read from "Links.plist" in the resource folder at each
// use (a missing or corrupt file gives no links), built into web and mail
// addresses, and opened through the desktop. Headless apart from the open.
#include "platform/plist.h"

#include <QString>
#include <QUrl>

namespace links {

// Links.plist as it was when made (a missing or corrupt file gives no
// links): one read for the values and links of a whole window.
class File {
public:
    File();
    // A top-level value ("Support_Mail", "Website_1", "Facebook_Share", ...)
    // or, with a product type, that product's entry of "Promotion" ("Title",
    // "Short", "Long", "Picture", "Mail", "Contact", "Order"). "" when
    // missing.
    QString value(const QString& key, const QString& product = {}) const;
    // The link of a named command (commandLink below).
    QUrl commandLink(const QString& command, const QString& appName, const QString& product = {}) const;

private:
    platform::Plist root_ = platform::Plist::dict();
};

// A mailto address after RFC 6068: the address, then subject and body each
// percent-encoded ("&", "+", "=" included); spaces give "%20" and each line
// break "%0A%0A". An empty address gives an empty URL.
QUrl mailLink(const QString& address, const QString& subject = {}, const QString& body = {});

// A share page: the template's "%1" replaced by the encoded page address.
// Empty when either is empty.
QUrl shareLink(const QString& pattern, const QString& page);

// The link of a named command, built from Links.plist read now: "support_mail",
// "reseller_mail", "website_1" .. "website_3", "facebook_share",
// "twitter_share", "linkedin_share", "like", "share", "review", "video",
// and per product ("mail", "contact", "order" with the product type). The
// mails name the application. Empty when its value is empty.
QUrl commandLink(const QString& command, const QString& appName, const QString& product = {});

// True for a link the desktop is handed: a valid mailto link, or an http or
// https one with a host. Buttons and menu items of other links are greyed.
bool usable(const QUrl& url);

// Opens an http, https or mailto link through the desktop. Empty, malformed
// or other links open nothing and are logged once; a failed open is logged
// only. True when the desktop took it.
bool open(const QUrl& url);
bool open(const QString& url);

} // namespace links
