// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/voice_dialog.h"

#include "caller/stored.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace {

const QString kDefaultModule = QStringLiteral("Predefinita (configurazione di speech-dispatcher)");
const QString kDefaultVoice = QStringLiteral("Predefinita del sintetizzatore");

QSlider *slider(QWidget *parent, const QString &name)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setRange(-100, 100);
    s->setPageStep(10);
    s->setAccessibleName(name);
    return s;
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
    form->addRow(QStringLiteral("V&elocità"), rate_);
    form->addRow(QStringLiteral("&Tono"), pitch_);
    form->addRow(QStringLiteral("V&olume"), volume_);
    form->addRow(state_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    QPushButton *sample = buttons->addButton(QStringLiteral("&Prova"), QDialogButtonBox::ActionRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(sample, &QPushButton::clicked, this, [this] { voice_.speakSample(kVoiceSample, choice()); });
    connect(module_, &QComboBox::currentIndexChanged, this, &VoiceDialog::fillVoices);
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
}

void VoiceDialog::showVoices(const QList<ModuleVoices> &voices)
{
    voices_ = voices;
    const QSignalBlocker blocker(module_);
    module_->clear();
    module_->addItem(kDefaultModule, QString());
    for (const ModuleVoices &module : voices)
        module_->addItem(module.module, module.module);
    // A choice whose synthesiser is not listed (yet) stays on offer.
    if (!shown_.module.isEmpty() && module_->findData(shown_.module) < 0)
        module_->addItem(shown_.module, shown_.module);
    module_->setCurrentIndex(std::max(0, module_->findData(shown_.module)));
    fillVoices();
    state_->setText(
        voices.isEmpty() ? QString() : QStringLiteral("%1 sintetizzatori con voci italiane.").arg(voices.size()));
}

void VoiceDialog::fillVoices()
{
    const QString module = module_->currentData().toString();
    name_->clear();
    name_->addItem(kDefaultVoice, QString());
    for (const ModuleVoices &listed : voices_)
        if (listed.module == module)
            for (const QString &name : listed.voices)
                name_->addItem(name, name);
    if (module == shown_.module && !shown_.voice.isEmpty() && name_->findData(shown_.voice) < 0)
        name_->addItem(shown_.voice, shown_.voice);
    name_->setCurrentIndex(std::max(0, name_->findData(module == shown_.module ? shown_.voice : QString())));
}

VoiceChoice VoiceDialog::choice() const
{
    return {module_->currentData().toString(), name_->currentData().toString(), rate_->value(), pitch_->value(),
        volume_->value()};
}
