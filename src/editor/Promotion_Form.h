#pragma once
// The promotion window: one of three Cardwright features ("S", "R", "B")
// with its picture, title and descriptions, and its mail, contact and order
// links; the texts, pictures and links come from Links.plist at each
// opening. Also the picture view that tiles the promotion pattern behind
// its picture, and the share window no command opens.
#include "editor/Links.h"

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QUrl>

class QPushButton;

// A picture view over the promotion pattern.
class Promotion_Pattern : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class Promotion_Form : public QDialog {
    Q_OBJECT
public:
    static Promotion_Form* defaultInstance();
    // Shows the product of software_type ("S", "R" or "B"; another type shows
    // nothing and its links open nothing), runs modally, returns the code.
    int Open_Promotion_Window();
    void Mail_Clicked();
    void Contact_us_Clicked();
    void Order_Clicked();
    void Video_Clicked();
    void OK_Clicked() { done(1); }
    static void Open_Link(const QUrl& url);

    QLabel* Software_title = nullptr;
    QLabel* short_descp = nullptr;
    QLabel* long_descp = nullptr;
    Promotion_Pattern* bundle_image = nullptr;
    QString software_type;
    QPushButton* mail_btn = nullptr;
    QPushButton* contact_btn = nullptr;
    QPushButton* order_btn = nullptr;
    QPushButton* video_btn = nullptr;
    QPushButton* support_id = nullptr;
    QPushButton* website_1 = nullptr;

private:
    Promotion_Form();
    QUrl productLink(const QString& command, const links::File& file = links::File()) const;
};

class Share_It_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit Share_It_Dlg(QWidget* parent = nullptr);
    void OK_Pressed() { done(1); }
    void Go_Share_It_Pressed() {}
};
