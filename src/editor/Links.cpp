#include "editor/Links.h"

#include "app/Globals.h"
#include "platform/log.h"
#include "platform/plist.h"
#include "platform/workspace.h"

#include <QMutex>
#include <QSet>

namespace links {
namespace {

void logOnce(const QString& text)
{
    static QMutex mutex;
    static QSet<QString> seen;
    const QMutexLocker lock(&mutex);
    if (seen.contains(text))
        return;
    seen.insert(text);
    platform::logText(text);
}

QString encoded(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

} // namespace

File::File()
{
    std::optional<platform::Plist> root = platform::readPlistFile(Resource_Path + QStringLiteral("/Links.plist"));
    if (root && root->isDict())
        root_ = std::move(*root);
}

QString File::value(const QString& key, const QString& product) const
{
    if (product.isEmpty())
        return root_.value(key).toString().trimmed();
    return root_.value(u"Promotion").value(product).value(key).toString().trimmed();
}

QUrl mailLink(const QString& address, const QString& subject, const QString& body)
{
    if (address.trimmed().isEmpty())
        return {};
    QString text = QStringLiteral("mailto:") + encoded(address.trimmed()).replace(QStringLiteral("%40"), QStringLiteral("@"));
    QStringList fields;
    if (!subject.isEmpty())
        fields << QStringLiteral("subject=") + encoded(subject);
    if (!body.isEmpty()) {
        QString b = body;
        b.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        fields << QStringLiteral("body=") + encoded(b).replace(QStringLiteral("%0A"), QStringLiteral("%0A%0A"));
    }
    if (!fields.isEmpty())
        text += QLatin1Char('?') + fields.join(QLatin1Char('&'));
    return QUrl::fromEncoded(text.toLatin1(), QUrl::StrictMode);
}

QUrl shareLink(const QString& pattern, const QString& page)
{
    if (pattern.isEmpty() || page.isEmpty() || !pattern.contains(QStringLiteral("%1")))
        return {};
    QString text = pattern;
    text.replace(QStringLiteral("%1"), encoded(page));
    return QUrl::fromEncoded(text.toUtf8(), QUrl::StrictMode);
}

QUrl File::commandLink(const QString& command, const QString& appName, const QString& product) const
{
    auto web = [this](const QString& key) { return QUrl(value(key), QUrl::StrictMode); };
    if (!product.isEmpty()) {
        if (command == QLatin1String("mail"))
            return mailLink(value(QStringLiteral("Mail"), product), value(QStringLiteral("Title"), product),
                            value(QStringLiteral("Short"), product));
        if (command == QLatin1String("contact"))
            return mailLink(value(QStringLiteral("Contact"), product),
                            QStringLiteral("%1: %2").arg(appName, value(QStringLiteral("Title"), product)),
                            QStringLiteral("Hello,\nI use %1 and would like to know more about %2.")
                                .arg(appName, value(QStringLiteral("Title"), product)));
        if (command == QLatin1String("order"))
            return QUrl(value(QStringLiteral("Order"), product), QUrl::StrictMode);
        return {};
    }
    if (command == QLatin1String("support_mail"))
        return mailLink(value(QStringLiteral("Support_Mail")), QStringLiteral("%1 support").arg(appName));
    if (command == QLatin1String("reseller_mail"))
        return mailLink(value(QStringLiteral("Reseller_Mail")), QStringLiteral("%1 reseller enquiry").arg(appName),
                        QStringLiteral("Hello,\nI would like to resell %1.").arg(appName));
    if (command.startsWith(QLatin1String("website_")))
        return web(QStringLiteral("Website_") + command.mid(8));
    if (command == QLatin1String("facebook_share"))
        return shareLink(value(QStringLiteral("Facebook_Share")), value(QStringLiteral("Product_Page")));
    if (command == QLatin1String("twitter_share"))
        return shareLink(value(QStringLiteral("Twitter_Share")), value(QStringLiteral("Product_Page")));
    if (command == QLatin1String("linkedin_share"))
        return shareLink(value(QStringLiteral("Linkedin_Share")), value(QStringLiteral("Product_Page")));
    if (command == QLatin1String("like"))
        return web(QStringLiteral("Facebook_Like"));
    if (command == QLatin1String("share"))
        return web(QStringLiteral("Share_Page"));
    if (command == QLatin1String("review"))
        return web(QStringLiteral("Review_Page"));
    if (command == QLatin1String("video"))
        return web(QStringLiteral("Video_Page"));
    return {};
}

QUrl commandLink(const QString& command, const QString& appName, const QString& product)
{
    return File().commandLink(command, appName, product);
}

bool usable(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (url.isEmpty() || !url.isValid())
        return false;
    if (scheme == QLatin1String("mailto"))
        return true;
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool open(const QUrl& url)
{
    if (!usable(url)) {
        logOnce(QStringLiteral("Link not opened: \"%1\"").arg(url.toString()));
        return false;
    }
    return platform::workspace::openUrl(url);
}

bool open(const QString& url)
{
    return open(QUrl(url.trimmed(), QUrl::StrictMode));
}

} // namespace links
