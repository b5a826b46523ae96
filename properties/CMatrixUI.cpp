#include "CMatrixUI.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "Prompts.h"
#include "TransformSliders.h"
#include "wRenderable.h"
#include "wUtil.h"

namespace {
constexpr const char* kSliderNames[] = {"Tx", "Ty", "Tz", "Rx", "Ry", "Rz"};
constexpr const char* kColumnNames[] = {"A", "B", "C", "D"};

wexlan::FileDialogOptions MatrixFileOptions() {
    wexlan::FileDialogOptions options;
    options.hideReadOnly = true;
    options.promptOverwrite = true;
    return options;
}
}  // namespace

CMatrixUI::CMatrixUI(QWidget* parent) : QDialog(parent) {
    setObjectName("matrixDialog");
    setWindowTitle(QStringLiteral("Matrix "));
    wexlan::IdentityMatrix(m_matrix.data());
    m_opened = m_matrix;

    auto* sliders = new QGridLayout;
    sliders->setColumnStretch(1, 1);
    for (int i = 0; i < 6; ++i) {
        const QString name = QString::fromLatin1(kSliderNames[i]);
        auto* label = new QLabel(name, this);
        m_sliders[i] = new QSlider(Qt::Horizontal, this);
        m_sliders[i]->setObjectName("slider" + name);
        m_sliders[i]->setMinimumWidth(280);
        m_values[i] = new QLineEdit(this);
        m_values[i]->setObjectName("value" + name);
        m_values[i]->setReadOnly(true);
        m_values[i]->setFocusPolicy(Qt::NoFocus);
        m_values[i]->setFixedWidth(56);
        label->setBuddy(m_sliders[i]);
        sliders->addWidget(label, i, 0);
        sliders->addWidget(m_sliders[i], i, 1);
        sliders->addWidget(m_values[i], i, 2);
        connect(m_sliders[i], &QSlider::valueChanged, this, [this] { OnSliderMoved(); });
    }
    ResetSliders();

    auto* fileButtons = new QHBoxLayout;
    auto* load = new QPushButton(QStringLiteral("Load"), this);
    load->setObjectName("loadButton");
    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName("saveButton");
    auto* reset = new QPushButton(QStringLiteral("Reset"), this);
    reset->setObjectName("resetButton");
    for (QPushButton* button : {load, save, reset}) {
        button->setAutoDefault(false);
        fileButtons->addWidget(button);
    }
    fileButtons->addStretch(1);
    connect(load, &QPushButton::clicked, this, &CMatrixUI::OnLoad);
    connect(save, &QPushButton::clicked, this, &CMatrixUI::OnSave);
    connect(reset, &QPushButton::clicked, this, &CMatrixUI::OnReset);

    auto* cells = new QGridLayout;
    for (int k = 0; k < 4; ++k) {
        auto* header = new QLabel(QString::fromLatin1(kColumnNames[k]), this);
        header->setAlignment(Qt::AlignCenter);
        cells->addWidget(header, 0, k + 1);
    }
    for (int r = 0; r < 4; ++r) {
        cells->addWidget(new QLabel(QString::number(r + 1), this), r + 1, 0);
        for (int k = 0; k < 4; ++k) {
            auto* cell = new QLineEdit(this);
            cell->setObjectName(QStringLiteral("cell%1%2").arg(kColumnNames[k]).arg(r + 1));
            cell->setAlignment(Qt::AlignRight);
            cell->setMinimumWidth(90);
            m_cells[4 * r + k] = cell;
            cells->addWidget(cell, r + 1, k + 1);
        }
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);
    auto* closeButtons = new QHBoxLayout;
    closeButtons->addStretch(1);
    closeButtons->addWidget(ok);
    closeButtons->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &CMatrixUI::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CMatrixUI::OnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sliders);
    layout->addLayout(fileButtons);
    layout->addLayout(cells);
    layout->addLayout(closeButtons);
}

void CMatrixUI::SetMatrix(const double matrix[16]) {
    std::copy(matrix, matrix + 16, m_matrix.begin());
    m_opened = m_matrix;
}

void CMatrixUI::GetMatrix(double matrix[16]) const {
    std::copy(m_matrix.begin(), m_matrix.end(), matrix);
}

bool CMatrixUI::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_initialised = true;
    ShowMatrix();
    ResetSliders();
    return true;
}

void CMatrixUI::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CMatrixUI::OnSliderMoved() {
    int values[6];
    GetSliderValues(values);
    for (int i = 0; i < 6; ++i) {
        m_values[i]->setText(QString::number(values[i]));
    }
    double slider[16];
    wexlan::SliderMatrix(values, slider);
    double shown[16];
    wexlan::MultiplyMatrices(m_matrix.data(), slider, shown);
    ShowElements(shown);
    ApplyGrid();
}

void CMatrixUI::OnReset() {
    wexlan::IdentityMatrix(m_matrix.data());
    ShowMatrix();
    ResetSliders();
    ApplyGrid();
}

void CMatrixUI::OnLoad() {
    const std::string path =
        wexlan::Prompts::Instance().OpenFileName(kFileFilter, std::string(), MatrixFileOptions());
    if (path.empty()) {
        return;
    }
    wUtil::LoadMat(path, m_matrix.data());
    ShowMatrix();
}

void CMatrixUI::OnSave() {
    const std::string path =
        wexlan::Prompts::Instance().SaveFileName(kFileFilter, std::string(), MatrixFileOptions());
    if (path.empty()) {
        return;
    }
    double matrix[16];
    ReadMatrix(matrix);
    wUtil::SaveMat(path, matrix);
}

void CMatrixUI::OnOK() {
    ReadMatrix(m_matrix.data());
    accept();
}

void CMatrixUI::OnCancel() {
    reject();
}

void CMatrixUI::reject() {
    if (m_renderable != nullptr) {
        m_renderable->SetTransform(m_opened.data());
        m_renderable->Update();
    }
    QDialog::reject();
}

void CMatrixUI::ShowMatrix() {
    ShowElements(m_matrix.data());
}

void CMatrixUI::ReadMatrix(double matrix[16]) const {
    for (int i = 0; i < 16; ++i) {
        matrix[i] = wexlan::ElementFromText(m_cells[i]->text().toStdString());
    }
}

void CMatrixUI::GetSliderValues(int values[6]) const {
    int positions[6];
    for (int i = 0; i < 6; ++i) {
        positions[i] = m_sliders[i]->value();
    }
    wexlan::SliderValues(positions, values);
}

void CMatrixUI::ShowElements(const double matrix[16]) {
    for (int i = 0; i < 16; ++i) {
        m_cells[i]->setText(QString::fromStdString(wexlan::ElementText(matrix[i])));
    }
}

void CMatrixUI::ResetSliders() {
    for (int i = 0; i < 6; ++i) {
        const bool translation = i < 3;
        const QSignalBlocker blocker(m_sliders[i]);
        m_sliders[i]->setRange(
            translation ? wexlan::kTranslationSliderMin : wexlan::kRotationSliderMin,
            translation ? wexlan::kTranslationSliderMax : wexlan::kRotationSliderMax);
        m_sliders[i]->setValue(translation ? wexlan::kTranslationSliderStart
                                           : wexlan::kRotationSliderStart);
        m_sliders[i]->setPageStep(translation ? 5 : 15);
        m_values[i]->setText(QStringLiteral("0"));
    }
}

void CMatrixUI::ApplyGrid() {
    if (m_renderable == nullptr) {
        return;
    }
    double applied[16];
    ReadMatrix(applied);
    m_renderable->SetTransform(applied);
    m_renderable->Update();
}
