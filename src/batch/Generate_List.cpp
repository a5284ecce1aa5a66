#include "batch/Generate_List.h"

#include "app/AppHelpers.h"
#include "batch/BatchHost.h"
#include "batch/BatchUi.h"
#include "batch/BatchWizard.h"
#include "batch/SeriesGenerate.h"
#include "batch/SeriesStore.h"
#include "platform/modal.h"
#include "platform/stepper.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Generate_List* Gen_List_DefaultInstance = nullptr;

namespace {

const QString kCountMessage = QStringLiteral("Please enter valid 'Count' value.");

} // namespace

Generate_List* Generate_List::defaultInstance()
{
    static Generate_List* instance = new Generate_List;
    return instance;
}

Generate_List::Generate_List()
    : QObject(nullptr) // lives for the whole process
{
    Gen_List_DefaultInstance = this;
    window = batch::New_Window(QStringLiteral("Generate_List"), QStringLiteral("Create Batch Processing Series"));
    auto edit = [] { return new QLineEdit; };
    auto stepper = [](double max) {
        auto* s = new platform::Stepper;
        s->setRange(1, max);
        s->setValue(1);
        return s;
    };
    radioButton_Sequntial = new QRadioButton(QStringLiteral("Sequential"));
    radioButton_Constant = new QRadioButton(QStringLiteral("Constant"));
    radioButton_Random = new QRadioButton(QStringLiteral("Random"));
    for (QRadioButton* r : {radioButton_Sequntial, radioButton_Constant, radioButton_Random})
        r->setAutoExclusive(false);
    prefix_txt = edit();
    suffix_txt = edit();
    from_txt = edit();
    to_txt = edit();
    value_txt = edit();
    count_txt = edit();
    count_stepper = stepper(10000);
    rand_prefix_txt = edit();
    rand_suffix_txt = edit();
    rand_length_txt = edit();
    rand_length_stepper = stepper(9);
    rand_count_txt = edit();
    rand_count_stepper = stepper(10000);
    manage_digit_chk = new QCheckBox(QStringLiteral("Maintain number of digits"));
    help_btn = new QPushButton(QStringLiteral("?"));
    help_btn->setAutoDefault(false);
    seq_file_name = edit();
    const_file_name = edit();
    rndm_file_name = edit();

    auto* grid = new QGridLayout;
    auto label = [](const char* text) { return new QLabel(QString::fromUtf8(text)); };
    auto withStepper = [](QLineEdit* field, platform::Stepper* s) {
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        row->addWidget(s);
        return row;
    };
    int r = 0;
    grid->addWidget(radioButton_Sequntial, r, 0);
    grid->addWidget(radioButton_Constant, r, 2);
    grid->addWidget(radioButton_Random, r++, 4);
    grid->addWidget(label("Series Name :"), r, 0);
    grid->addWidget(seq_file_name, r, 1);
    grid->addWidget(const_file_name, r, 3);
    grid->addWidget(rndm_file_name, r++, 5);
    grid->addWidget(label("Prefix :"), r, 0);
    grid->addWidget(prefix_txt, r, 1);
    grid->addWidget(label("Value :"), r, 2);
    grid->addWidget(value_txt, r, 3);
    grid->addWidget(label("Prefix :"), r, 4);
    grid->addWidget(rand_prefix_txt, r++, 5);
    grid->addWidget(label("From :"), r, 0);
    grid->addWidget(from_txt, r, 1);
    grid->addWidget(label("Count :"), r, 2);
    grid->addLayout(withStepper(count_txt, count_stepper), r, 3);
    grid->addWidget(label("Length :"), r, 4);
    grid->addLayout(withStepper(rand_length_txt, rand_length_stepper), r++, 5);
    grid->addWidget(label("To :"), r, 0);
    grid->addWidget(to_txt, r, 1);
    grid->addWidget(label("Count :"), r, 4);
    grid->addLayout(withStepper(rand_count_txt, rand_count_stepper), r++, 5);
    grid->addWidget(label("Suffix :"), r, 0);
    grid->addWidget(suffix_txt, r, 1);
    grid->addWidget(label("Suffix :"), r, 4);
    grid->addWidget(rand_suffix_txt, r++, 5);
    auto* pad = new QHBoxLayout;
    pad->addWidget(manage_digit_chk);
    pad->addWidget(help_btn);
    grid->addLayout(pad, r++, 0, 1, 2);

    auto* layout = new QVBoxLayout(window);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(radioButton_Sequntial, &QRadioButton::clicked, this, [this] { Sequintial_Radio_Pressed(); });
    connect(radioButton_Constant, &QRadioButton::clicked, this, [this] { Constant_Radio_Pressed(); });
    connect(radioButton_Random, &QRadioButton::clicked, this, [this] { Random_Radio_Pressed(); });
    connect(count_stepper, &platform::Stepper::valueEdited, this, [this] { Count_Stepper_Pressed(count_stepper); });
    connect(rand_length_stepper, &platform::Stepper::valueEdited, this,
            [this] { Random_Length_Stepper_Pressed(rand_length_stepper); });
    connect(rand_count_stepper, &platform::Stepper::valueEdited, this,
            [this] { Random_Count_Stepper_Pressed(rand_count_stepper); });
    for (QLineEdit* field : {count_txt, rand_length_txt, rand_count_txt})
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
    connect(help_btn, &QPushButton::clicked, this, [this] { Help_btn_Pressed(); });
    connect(ok, &QPushButton::clicked, this, [this] { OKPressed(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CancelPressed(); });
}

int Generate_List::Open_Wnd()
{
    return batch::Guarded_Open([&] {
        for (QLineEdit* f : {seq_file_name, const_file_name, rndm_file_name})
            f->clear();
        const bool named = file_name_required == 1;
        for (QLineEdit* f : {seq_file_name, const_file_name, rndm_file_name})
            f->setVisible(named);
        if (named)
            seq_file_name->setText(QStringLiteral("Untitled"));
        manage_digit_chk->setChecked(false);
        for (QLineEdit* f : {prefix_txt, suffix_txt, from_txt, to_txt, value_txt, rand_prefix_txt, rand_suffix_txt})
            f->clear();
        for (QLineEdit* f : {count_txt, rand_length_txt, rand_count_txt})
            f->setText(QStringLiteral("1"));
        Choose(0);
        prefix_txt->setFocus();
        return batch::Run_Window(*window);
    });
}

void Generate_List::Choose(int mode)
{
    radioButton_Sequntial->setChecked(mode == 0);
    radioButton_Constant->setChecked(mode == 1);
    radioButton_Random->setChecked(mode == 2);
    QLineEdit* names[] = {seq_file_name, const_file_name, rndm_file_name};
    for (int i = 0; i < 3; ++i)
        SetObjEnabled(names[i], i == mode);
    for (QWidget* w : std::initializer_list<QWidget*>{prefix_txt, suffix_txt, from_txt, to_txt, help_btn, manage_digit_chk})
        SetObjEnabled(w, mode == 0);
    for (QWidget* w : std::initializer_list<QWidget*>{value_txt, count_txt, count_stepper})
        SetObjEnabled(w, mode == 1);
    for (QWidget* w : std::initializer_list<QWidget*>{rand_prefix_txt, rand_suffix_txt, rand_length_txt,
                                                      rand_length_stepper, rand_count_txt, rand_count_stepper})
        SetObjEnabled(w, mode == 2);
}

void Generate_List::Sequintial_Radio_Pressed()
{
    if (Trim_Str(seq_file_name->text()).isEmpty())
        seq_file_name->setText(QStringLiteral("Untitled"));
    Choose(0);
}

void Generate_List::Constant_Radio_Pressed()
{
    if (Trim_Str(const_file_name->text()).isEmpty())
        const_file_name->setText(QStringLiteral("Untitled"));
    Choose(1);
}

void Generate_List::Random_Radio_Pressed()
{
    if (Trim_Str(rndm_file_name->text()).isEmpty())
        rndm_file_name->setText(QStringLiteral("Untitled"));
    Choose(2);
}

void Generate_List::Pair(QLineEdit* field, platform::Stepper* stepper, QObject* sender)
{
    if (sender == stepper)
        field->setText(QString::number(stepper->intValue()));
    else
        stepper->setValue(double(series_gen::Leading_Integer_Or_Zero(field->text())));
}

void Generate_List::Count_Stepper_Pressed(QObject* sender)
{
    Pair(count_txt, count_stepper, sender);
}

void Generate_List::Random_Length_Stepper_Pressed(QObject* sender)
{
    Pair(rand_length_txt, rand_length_stepper, sender);
}

void Generate_List::Random_Count_Stepper_Pressed(QObject* sender)
{
    Pair(rand_count_txt, rand_count_stepper, sender);
}

void Generate_List::controlTextDidChange(QLineEdit* field)
{
    platform::Stepper* stepper = nullptr;
    int maxChars = 5;
    int maxValue = 10000;
    if (field == count_txt) {
        stepper = count_stepper;
    } else if (field == rand_count_txt) {
        stepper = rand_count_stepper;
    } else if (field == rand_length_txt) {
        stepper = rand_length_stepper;
        maxChars = 1;
        maxValue = 9;
    } else {
        return;
    }
    const QString filtered = series_gen::Filter_Count_Text(field->text(), maxChars, maxValue);
    if (filtered != field->text())
        field->setText(filtered);
    stepper->setValue(double(series_gen::Leading_Integer_Or_Zero(filtered)));
}

void Generate_List::Help_btn_Pressed()
{
    const QString title = QStringLiteral("Maintain number of Digits By adding 0's before smaller values. ");
    const QString text = QStringLiteral(
        "For example:\r\nIf you have to generate a series of barcodes having values from '0' to '200', this option "
        "automatically converts small values such as '1' to '001' and '11' to '011' to maintain number of digits "
        "same as the highest value in the series.\r\n\r\nSimilarly, if you have selected a series starting from "
        "'001' to '00200', this option automatically converts small values such as '001' to '00001' and '0011' to "
        "'00011' to maintain number of digits same as the highest value in the series.");
    if (BatchHost* host = batch::batchHost())
        host->Set_Custom_Msg(title, text);
    QMessageBox box(window);
    box.setWindowModality(Qt::WindowModal);
    box.setText(QCoreApplication::translate("Generate_List", title.toUtf8().constData()));
    box.setInformativeText(text);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    platform::modal::run(box);
}

bool Generate_List::Refuse(const QString& message, QLineEdit* field)
{
    Show_MessageBox(message);
    field->setFocus();
    return false;
}

int Generate_List::getRandomNumberBetweenMin(int min, int max)
{
    return series_gen::getRandomNumberBetweenMin(min, max);
}

QString Generate_List::PadZero(const QString& text, int length)
{
    return series_gen::PadZero(text, length);
}

void Generate_List::OKPressed()
{
    QStringList values;
    QLineEdit* nameField = nullptr;
    if (radioButton_Sequntial->isChecked()) {
        const series_gen::Sequential seq{prefix_txt->text(), suffix_txt->text(), from_txt->text(), to_txt->text(),
                                         manage_digit_chk->isChecked()};
        switch (series_gen::Check_Sequential(seq)) {
        case series_gen::Sequential_Check::From_Empty:
            Refuse(QStringLiteral("Please enter valid 'From' value."), from_txt);
            return;
        case series_gen::Sequential_Check::To_Empty:
            Refuse(QStringLiteral("Please enter valid 'To' value."), to_txt);
            return;
        case series_gen::Sequential_Check::From_Not_Smaller:
            Refuse(QStringLiteral("'From' value must be smaller than 'To' value."), from_txt);
            return;
        case series_gen::Sequential_Check::Too_Many:
            Refuse(QStringLiteral("Please enter a range of at most %1 values.").arg(series_gen::Max_Sequential_Values),
                   to_txt);
            return;
        case series_gen::Sequential_Check::Ok:
            break;
        }
        nameField = seq_file_name;
        values = series_gen::Sequential_Values(seq);
    } else if (radioButton_Constant->isChecked()) {
        if (value_txt->text().isEmpty()) {
            Refuse(QStringLiteral("Please enter valid 'Value'."), value_txt);
            return;
        }
        if (count_txt->text().isEmpty()) {
            Refuse(kCountMessage, count_txt);
            return;
        }
        nameField = const_file_name;
        values = series_gen::Constant_Values(value_txt->text(), series_gen::Leading_Integer_Or_Zero(count_txt->text()));
    } else if (radioButton_Random->isChecked()) {
        if (rand_count_txt->text().isEmpty()) {
            Refuse(kCountMessage, rand_count_txt);
            return;
        }
        const std::optional<int> length = series_gen::Random_Length(rand_length_txt->text());
        if (!length) {
            Refuse(QStringLiteral("Please enter valid 'Length' value."), rand_length_txt);
            return;
        }
        nameField = rndm_file_name;
        values = series_gen::Random_Values(rand_prefix_txt->text(), rand_suffix_txt->text(), *length,
                                           series_gen::Leading_Integer_Or_Zero(rand_count_txt->text()));
    } else {
        return;
    }

    if (file_name_required == 1) {
        const QString name = Remove_Reserve_Char_In_File_Name(nameField->text());
        if (name.isEmpty()) {
            Refuse(QStringLiteral("Please enter list name."), nameField);
            return;
        }
        if (series::Series_Exists(name)
            && !Show_YES_NO_MessageBox(
                QStringLiteral("Batch Processing Series already exists. Do you want to replace it?")))
            return;
        // The old series is replaced only by a complete new one.
        if (!series::Save_Series(name, values, series::Values::As_Given))
            return;
    } else if (BatchWizard_Window) {
        BatchWizard_Window->Create_Value_List(values);
    }
    if (file_name_Insert == 1 && BatchWizard_Window)
        BatchWizard_Window->Fill_List();
    window->done(1);
}

void Generate_List::CancelPressed()
{
    window->done(0);
}
