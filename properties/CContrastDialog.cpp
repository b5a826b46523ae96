#include "CContrastDialog.h"

#include <algorithm>
#include <vector>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "ContrastHistogram.h"
#include "wRenderable.h"
#include "wText.h"

namespace {
QSlider* MakeSlider(const char* name, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setMinimumWidth(360);
    return slider;
}

QLineEdit* MakeBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setFixedWidth(64);
    return box;
}
}  // namespace

CContrastDialog::CContrastDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("contrastDialog");
    setWindowTitle(QStringLiteral("Contrast"));

    m_minSlider = MakeSlider("minSlider", this);
    m_maxSlider = MakeSlider("maxSlider", this);
    m_minEdit = MakeBox("minEdit", this);
    m_maxEdit = MakeBox("maxEdit", this);
    auto* minLabel = new QLabel(QStringLiteral("Min."), this);
    auto* maxLabel = new QLabel(QStringLiteral("Max."), this);
    minLabel->setBuddy(m_minSlider);
    maxLabel->setBuddy(m_maxSlider);
    m_rangeLabel = new QLabel(this);
    m_rangeLabel->setObjectName("rangeLabel");

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(minLabel, 0, 0);
    grid->addWidget(m_minSlider, 0, 1);
    grid->addWidget(m_minEdit, 0, 2);
    grid->addWidget(maxLabel, 1, 0);
    grid->addWidget(m_maxSlider, 1, 1);
    grid->addWidget(m_maxEdit, 1, 2);

    m_histogram = new ContrastHistogram(this);
    m_histogram->hide();
    grid->addWidget(m_histogram, 2, 1);

    auto* presets = new QHBoxLayout;
    for (std::size_t i = 0; i < CContrastWindow::Presets().size(); ++i) {
        auto* preset =
            new QPushButton(QString::fromLatin1(CContrastWindow::Presets()[i].name), this);
        preset->setObjectName(QStringLiteral("contrastPreset%1").arg(i));
        preset->setAutoDefault(false);
        connect(preset, &QPushButton::clicked, this, [this, i] { OnPreset(i); });
        presets->addWidget(preset);
    }
    presets->addStretch(1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_rangeLabel);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(presets);
    layout->addLayout(buttons);

    connect(m_minSlider, &QSlider::valueChanged, this, [this] { OnSliderMoved(); });
    connect(m_maxSlider, &QSlider::valueChanged, this, [this] { OnSliderMoved(); });
    m_minEdit->installEventFilter(this);
    m_maxEdit->installEventFilter(this);
    connect(ok, &QPushButton::clicked, this, &CContrastDialog::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CContrastDialog::OnCancel);
}

void CContrastDialog::SetContrast(double minimum, double maximum) {
    m_opened[0] = minimum;
    m_opened[1] = maximum;
    m_window.SetContrast(static_cast<int>(minimum), static_cast<int>(maximum));
}

void CContrastDialog::SetHistogram(std::vector<double> counts) {
    m_histogram->SetCounts(std::move(counts));
}

void CContrastDialog::GetContrast(int& minimum, int& maximum) const {
    minimum = m_window.Minimum();
    maximum = m_window.Maximum();
}

bool CContrastDialog::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_initialised = true;
    const int low = m_window.SliderMin();
    const int high = m_window.SliderMax();
    const int page = std::max(1, (high - low) / 20);
    for (QSlider* slider : {m_minSlider, m_maxSlider}) {
        const QSignalBlocker blocker(slider);
        slider->setRange(low, high);
        slider->setSingleStep(1);
        slider->setPageStep(page);
    }
    MoveSliders();
    ShowBounds();
    m_rangeLabel->setText(
        QStringLiteral("Scalar range: %1 to %2").arg(m_window.RangeMin()).arg(m_window.RangeMax()));
    return true;
}

void CContrastDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

bool CContrastDialog::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_minEdit || watched == m_maxEdit) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnBoundTyped(watched == m_maxEdit);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CContrastDialog::OnSliderMoved() {
    m_window.TakeSliderPositions(m_minSlider->value(), m_maxSlider->value());
    ShowBounds();
    ApplyToLayer();
}

void CContrastDialog::OnBoundTyped(bool maximum) {
    QLineEdit* box = maximum ? m_maxEdit : m_minEdit;
    std::vector<double> number;
    if (!wexlan::ParseNumberList(box->text().toStdString(), number) || number.size() != 1) {
        ShowBounds();
        return;
    }
    const int bound = m_window.TypedBound(number[0]);
    QSlider* slider = maximum ? m_maxSlider : m_minSlider;
    {
        const QSignalBlocker blocker(slider);
        slider->setValue(bound);
    }
    m_window.SetContrast(maximum ? m_window.Minimum() : bound,
                         maximum ? bound : m_window.Maximum());
    ShowBounds();
    ApplyToLayer();
}

void CContrastDialog::OnPreset(std::size_t index) {
    if (!m_window.ApplyPreset(index)) {
        return;
    }
    MoveSliders();
    ShowBounds();
    ApplyToLayer();
}

void CContrastDialog::MoveSliders() {
    const QSignalBlocker maxBlocker(m_maxSlider);
    const QSignalBlocker minBlocker(m_minSlider);
    m_maxSlider->setValue(m_window.SliderPosition(m_window.Maximum()));
    m_minSlider->setValue(m_window.SliderPosition(m_window.Minimum()));
}

void CContrastDialog::OnOK() {
    accept();
}

void CContrastDialog::OnCancel() {
    reject();
}

void CContrastDialog::reject() {
    if (m_layer != nullptr) {
        m_layer->SetContrast(m_opened[0], m_opened[1]);
        m_layer->Update();
    }
    QDialog::reject();
}

void CContrastDialog::ShowBounds() {
    m_minEdit->setText(QString::number(m_window.Minimum()));
    m_maxEdit->setText(QString::number(m_window.Maximum()));
    m_histogram->SetWindow(m_window.RangeMin(), m_window.RangeMax(), m_window.Minimum(),
                           m_window.Maximum());
}

void CContrastDialog::ApplyToLayer() {
    if (m_layer != nullptr) {
        m_layer->SetContrast(m_window.Minimum(), m_window.Maximum());
        m_layer->Update();
    }
}
