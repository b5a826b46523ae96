#pragma once

#include <vector>

#include <QWidget>

/// The picture under the contrast dialog's sliders: how many values fall in each bin
/// across the scalar range (bars on a logarithmic scale, so that a CT's few bone voxels
/// show beside its many air voxels), with the part outside the contrast window dimmed.
class ContrastHistogram : public QWidget {
public:
    explicit ContrastHistogram(QWidget* parent = nullptr);

    /// The counts, bin 0 at the range's lower end; empty: nothing is drawn.
    void SetCounts(std::vector<double> counts);
    /// The scalar range the bins span and the contrast window, in values.
    void SetWindow(double rangeMin, double rangeMax, double windowMin, double windowMax);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<double> m_counts;
    double m_range[2] = {0, 0};
    double m_window[2] = {0, 0};
};
