// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/voice_dialog.h"

#include "caller/stored.h"
#include "gui/accessibility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace {

const QString kSystemVoice = QStringLiteral("Voce del sistema");
const QString kSystemVoiceTip = QStringLiteral("La configurazione di speech-dispatcher");
const QString kModuleDefault = QStringLiteral("%1, voce predefinita");
const QString kVoiceOf = QStringLiteral("%1, %2");
const QString kPlainVoice = QStringLiteral("voce %1");
const QString kItalianVoice = QStringLiteral("voce italiana");
const QString kVariant = QStringLiteral("voce italiana, variante %1");
const QString kNormal = QStringLiteral("normale");
const QString kOneModule = QStringLiteral("Un sintetizzatore con voci italiane.");
const QString kModules = QStringLiteral("%1 sintetizzatori con voci italiane.");
const QString kTakes =
    QStringLiteral("%1 registrazioni su 91: gli altri numeri e ogni altro testo li dice il sintetizzatore.");

// The synthesisers by the names their makers give them.
QString moduleTitle(const QString &module)
{
    static const QHash<QString, QString> titles{{QStringLiteral("espeak-ng"), QStringLiteral("eSpeak NG")},
        {QStringLiteral("espeak"), QStringLiteral("eSpeak")}, {QStringLiteral("festival"), QStringLiteral("Festival")},
        {QStringLiteral("pico"), QStringLiteral("SVOX Pico")}, {QStringLiteral("rhvoice"), QStringLiteral("RHVoice")}};
    return titles.value(module, module);
}

// A voice in words: espeak-ng's variants follow a "+", festival's voices are a speaker's
// initials and their Debian packages say whose voice each is.
QString voiceTitle(const QString &module, const QString &voice)
{
    static const QHash<QString, QString> speakers{{QStringLiteral("lp_diphone"), QStringLiteral("voce femminile (lp)")},
        {QStringLiteral("pc_diphone"), QStringLiteral("voce maschile (pc)")}};
    QString words = speakers.value(voice);
    if (words.isEmpty() && voice.endsWith(QLatin1String("_diphone")))
        words = kPlainVoice.arg(QStringLiteral("(%1)").arg(voice.chopped(8)));
    else if (words.isEmpty() && voice.contains(u'+'))
        words = kVariant.arg(voice.section(u'+', 1));
    else if (words.isEmpty() && voice.compare(QLatin1String("italian"), Qt::CaseInsensitive) == 0)
        words = kItalianVoice;
    else if (words.isEmpty())
        words = kPlainVoice.arg(voice);
    return kVoiceOf.arg(moduleTitle(module), words);
}

void addChoice(QComboBox *box, const QString &title, const QString &value, const QString &tip)
{
    box->addItem(title, value);
    box->setItemData(box->count() - 1, tip, Qt::ToolTipRole);
}

// A screen reader reads a box's choice from its description at the focus, and hears each
// choice the caller makes (Qt gives it no other way to find the choice of a box that is not
// editable).
void describeChoice(QComboBox *box) { box->setAccessibleDescription(box->currentText()); }
void announceChoice(QComboBox *box)
{
    describeChoice(box);
    if (box->hasFocus())
        announce(box->window(), box->currentText());
}

QString valueText(int value)
{
    return value == 0 ? kNormal : value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value);
}

QSlider *slider(QWidget *parent, const QString &name)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setRange(-100, 100);
    s->setPageStep(10);
    s->setAccessibleName(name);
    return s;
}

// The slider with its value in words beside it, also given to a screen reader.
QWidget *withValue(QSlider *slider)
{
    auto *row = new QWidget(slider->parentWidget());
    auto *value = new QLabel(row);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(kNormal) + 8);
    const auto show = [slider, value](int v) {
        value->setText(valueText(v));
        slider->setAccessibleDescription(valueText(v));
    };
    QObject::connect(slider, &QSlider::valueChanged, value, show);
    show(slider->value());
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider, 1);
    layout->addWidget(value);
    return row;
}

} // namespace

VoiceChoice loadVoiceChoice(SettingsStore &store) { return stored::voiceChoice(store); }

void storeVoiceChoice(SettingsStore &store, const VoiceChoice &choice) { stored::saveVoiceChoice(store, choice); }

VoiceDialog::VoiceDialog(SpeechDispatcherVoice &voice, QWidget *parent) : QDialog(parent), voice_(voice)
{
    setWindowTitle(QStringLiteral("Voce"));
    module_ = new QComboBox(this);
    name_ = new QComboBox(this);
    rate_ = slider(this, QStringLiteral("Velocità"));
    pitch_ = slider(this, QStringLiteral("Tono"));
    volume_ = slider(this, QStringLiteral("Volume"));
    state_ = new QLabel(this);
    state_->setWordWrap(true);
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Sintetizzatore"), module_);
    form->addRow(QStringLiteral("&Voce italiana"), name_);
    form->addRow(QStringLiteral("V&elocità"), withValue(rate_));
    form->addRow(QStringLiteral("&Tono"), withValue(pitch_));
    form->addRow(QStringLiteral("V&olume"), withValue(volume_));
    form->addRow(state_);
    ownVoice_ = new QCheckBox(QStringLiteral("La &mia voce"), this);
    takes_ = new QLabel(this);
    takes_->setWordWrap(true);
    auto *record = new QPushButton(QStringLiteral("&Registra la voce…"), this);
    auto *own = new QHBoxLayout;
    own->addWidget(ownVoice_);
    own->addWidget(record);
    own->addStretch();
    form->addRow(own);
    form->addRow(takes_);
    connect(record, &QPushButton::clicked, this, &VoiceDialog::recordingAsked);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    sample_ = buttons->addButton(QStringLiteral("&Prova"), QDialogButtonBox::ActionRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(sample_, &QPushButton::clicked, this, [this] { voice_.speakSample(kVoiceSample, choice()); });
    connect(module_, &QComboBox::currentIndexChanged, this, &VoiceDialog::fillVoices);
    for (QComboBox *box : {module_, name_}) {
        connect(box, &QComboBox::currentIndexChanged, box, [box] { describeChoice(box); });
        connect(box, &QComboBox::activated, box, [box] { announceChoice(box); });
    }
    connect(&voice_, &SpeechDispatcherVoice::voicesListed, this, &VoiceDialog::showVoices);
}

void VoiceDialog::present(const VoiceChoice &current)
{
    shown_ = current;
    rate_->setValue(current.rate);
    pitch_->setValue(current.pitch);
    volume_->setValue(current.volume);
    showVoices(voices_);
    state_->setText(QStringLiteral("Ricerca dei sintetizzatori installati…"));
    voice_.requestVoices();
    show();
    raise();
    activateWindow();
    module_->setFocus(Qt::ActiveWindowFocusReason);
}

void VoiceDialog::showVoices(const QList<ModuleVoices> &voices)
{
    voices_ = voices;
    const QSignalBlocker blocker(module_);
    module_->clear();
    addChoice(module_, kSystemVoice, QString(), kSystemVoiceTip);
    for (const ModuleVoices &module : voices)
        addChoice(module_, moduleTitle(module.module), module.module, module.module);
    // A choice whose synthesiser is not listed (yet) stays on offer.
    if (!shown_.module.isEmpty() && module_->findData(shown_.module) < 0)
        addChoice(module_, moduleTitle(shown_.module), shown_.module, shown_.module);
    module_->setCurrentIndex(std::max(0, module_->findData(shown_.module)));
    describeChoice(module_);
    fillVoices();
    state_->setText(voices.isEmpty() ? QString() : voices.size() == 1 ? kOneModule : kModules.arg(voices.size()));
}

void VoiceDialog::fillVoices()
{
    const QString module = module_->currentData().toString();
    name_->clear();
    if (module.isEmpty())
        addChoice(name_, kSystemVoice, QString(), kSystemVoiceTip);
    else
        addChoice(name_, kModuleDefault.arg(moduleTitle(module)), QString(), module);
    for (const ModuleVoices &listed : voices_)
        if (listed.module == module)
            for (const QString &name : listed.voices)
                addChoice(name_, voiceTitle(module, name), name, name);
    if (module == shown_.module && !shown_.voice.isEmpty() && name_->findData(shown_.voice) < 0)
        addChoice(name_, voiceTitle(module, shown_.voice), shown_.voice, shown_.voice);
    name_->setCurrentIndex(std::max(0, name_->findData(module == shown_.module ? shown_.voice : QString())));
}

VoiceChoice VoiceDialog::choice() const
{
    return {module_->currentData().toString(), name_->currentData().toString(), rate_->value(), pitch_->value(),
        volume_->value()};
}

void VoiceDialog::showOwnVoice(bool on, int takes)
{
    ownVoice_->setChecked(on);
    takes_->setText(kTakes.arg(takes));
    ownVoice_->setAccessibleDescription(takes_->text());
}

bool VoiceDialog::ownVoice() const { return ownVoice_->isChecked(); }

void VoiceDialog::allowSample(bool allowed) { sample_->setEnabled(allowed); }
