#include "CSliderDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "wProp.h"
#include "wRenderable.h"

namespace {
constexpr const char* kAxisNames[] = {"X", "Y", "Z"};
constexpr double kRates[] = {7.5, 15.0, 30.0};
constexpr const char* kRateTexts[] = {"7.5 fps", "15 fps", "30 fps"};
constexpr const char* kRateNames[] = {"rate7_5", "rate15", "rate30"};
const QString kPlayText = QStringLiteral(">");
const QString kPauseText = QStringLiteral("||");
const QString kNullText = QStringLiteral("NULL");
}  // namespace

CSliderDialog::CSliderDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("sliceDialog");
    setWindowTitle(QStringLiteral("Slice"));

    auto* axes = new QGridLayout;
    axes->setColumnStretch(2, 1);
    for (int axis = 0; axis < 3; ++axis) {
        const QString name = QString::fromLatin1(kAxisNames[axis]);
        auto* label = new QLabel(name, this);
        m_play[axis] = new QPushButton(kPlayText, this);
        m_play[axis]->setObjectName("play" + name);
        m_play[axis]->setAutoDefault(false);
        m_play[axis]->setFixedWidth(36);
        m_sliders[axis] = new QSlider(Qt::Horizontal, this);
        m_sliders[axis]->setObjectName("slider" + name);
        m_sliders[axis]->setMinimumWidth(260);
        m_sliders[axis]->setPageStep(10);
        m_edits[axis] = new QLineEdit(this);
        m_edits[axis]->setObjectName("slice" + name);
        m_edits[axis]->setReadOnly(true);
        m_edits[axis]->setEnabled(false);  // display only
        m_edits[axis]->setFixedWidth(76);
        label->setBuddy(m_sliders[axis]);
        axes->addWidget(label, axis, 0);
        axes->addWidget(m_play[axis], axis, 1);
        axes->addWidget(m_sliders[axis], axis, 2);
        axes->addWidget(m_edits[axis], axis, 3);

        m_timers[axis] = new QTimer(this);
        m_timers[axis]->setObjectName("timer" + name);
        m_timers[axis]->setTimerType(Qt::PreciseTimer);
        connect(m_play[axis], &QPushButton::clicked, this, [this, axis] { OnPlay(axis); });
        connect(m_sliders[axis], &QSlider::valueChanged, this, [this] { OnSliderMoved(); });
        connect(m_timers[axis], &QTimer::timeout, this, [this, axis] { OnTimer(axis); });
    }

    auto* buttons = new QHBoxLayout;
    m_rateGroup = new QButtonGroup(this);
    m_rateGroup->setExclusive(true);
    for (int i = 0; i < 3; ++i) {
        m_rates[i] = new QPushButton(QString::fromLatin1(kRateTexts[i]), this);
        m_rates[i]->setObjectName(kRateNames[i]);
        m_rates[i]->setCheckable(true);
        m_rates[i]->setAutoDefault(false);
        m_rateGroup->addButton(m_rates[i], i);
        buttons->addWidget(m_rates[i]);
        const double rate = kRates[i];
        connect(m_rates[i], &QPushButton::clicked, this, [this, rate] { OnFrameRate(rate); });
    }
    buttons->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &CSliderDialog::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CSliderDialog::OnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(axes);
    layout->addSpacing(6);
    layout->addLayout(buttons);
}

CSliderDialog::~CSliderDialog() {
    StopTimers();
}

void CSliderDialog::SetSliceRange(const int range[6]) {
    m_playback.SetRange(range);
}

void CSliderDialog::SetSlice(const int xyz[3]) {
    m_playback.SetSlice(xyz);
}

void CSliderDialog::GetSlice(int xyz[3]) const {
    m_playback.GetSlice(xyz);
}

bool CSliderDialog::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_initialised = true;
    for (int axis = 0; axis < 3; ++axis) {
        const QSignalBlocker blocker(m_sliders[axis]);
        if (m_playback.IsAxisUsable(axis)) {
            m_sliders[axis]->setRange(m_playback.Min(axis), m_playback.Max(axis));
            m_sliders[axis]->setValue(m_playback.Slice(axis));
            m_edits[axis]->setText(QString::number(m_playback.Slice(axis)));
        } else {
            m_sliders[axis]->setEnabled(false);
            m_play[axis]->setEnabled(false);
            m_edits[axis]->setText(kNullText);
        }
    }
    m_rates[1]->setChecked(true);
    m_playback.SetFrameRate(kRates[1]);
    return true;
}

void CSliderDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CSliderDialog::OnPlay(int axis) {
    if (!m_playback.IsAxisUsable(axis)) {
        return;  // its button is disabled
    }
    if (m_playback.TogglePlaying(axis)) {
        m_play[axis]->setText(kPauseText);
        m_timers[axis]->start(CSlicePlayback::IntervalFor(m_playback.GetFrameRate()));
    } else {
        m_play[axis]->setText(kPlayText);
        m_timers[axis]->stop();
    }
}

void CSliderDialog::OnFrameRate(double rate) {
    m_playback.SetFrameRate(rate);
    for (int i = 0; i < 3; ++i) {
        if (kRates[i] == rate) {
            m_rates[i]->setChecked(true);
        }
    }
}

void CSliderDialog::OnTimer(int axis) {
    int range[6];
    const int* current = range;
    if (m_layer == nullptr) {
        m_playback.GetRange(range);
    } else if (!m_layer->GetProperty()->GetSliceRange(range)) {
        current = nullptr;
    }
    if (!m_playback.Advance(axis, current)) {
        m_timers[axis]->stop();
        m_play[axis]->setText(kPlayText);
        return;
    }
    {
        const QSignalBlocker blocker(m_sliders[axis]);
        m_sliders[axis]->setRange(m_playback.Min(axis), m_playback.Max(axis));
    }
    ShowSlice(axis);
    ApplyToLayer();
}

void CSliderDialog::OnSliderMoved() {
    int positions[3];
    SliderPositions(positions);
    m_playback.TakeSliderPositions(positions);
    for (int axis = 0; axis < 3; ++axis) {
        if (m_playback.Slice(axis) >= 0) {
            m_edits[axis]->setText(QString::number(m_playback.Slice(axis)));
        }
    }
    ApplyToLayer();
}

void CSliderDialog::OnOK() {
    StopTimers();
    int positions[3];
    SliderPositions(positions);
    m_playback.AcceptSliderPositions(positions);  // the axes not showing "NULL"
    accept();
}

void CSliderDialog::OnCancel() {
    StopTimers();
    reject();
}

int CSliderDialog::GetTimerInterval(int axis) const {
    return m_timers[axis]->isActive() ? m_timers[axis]->interval() : -1;
}

void CSliderDialog::done(int result) {
    StopTimers();
    QDialog::done(result);
}

void CSliderDialog::StopTimers() {
    for (int axis = 0; axis < 3; ++axis) {
        m_timers[axis]->stop();
        m_play[axis]->setText(kPlayText);
    }
    m_playback.StopAll();
}

void CSliderDialog::ShowSlice(int axis) {
    const QSignalBlocker blocker(m_sliders[axis]);
    m_sliders[axis]->setValue(m_playback.Slice(axis));
    m_edits[axis]->setText(QString::number(m_playback.Slice(axis)));
}

void CSliderDialog::ApplyToLayer() {
    if (m_layer == nullptr) {
        return;
    }
    int xyz[3];
    m_playback.GetSlice(xyz);
    m_layer->SetSlice(xyz[0], xyz[1], xyz[2]);
    m_layer->Render();
}

void CSliderDialog::SliderPositions(int positions[3]) const {
    for (int axis = 0; axis < 3; ++axis) {
        positions[axis] = m_sliders[axis]->value();
    }
}
