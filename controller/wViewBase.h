#pragma once

#include <string>

#include "wexlancp_export.h"

class CWexlanCPEXE;

/// What every panel of the control panel carries: a reference to the controller
/// (its "boss", never owned) and the panel's last error text, plus the two
/// parsers that turn a workspace-tree label back into a data type code and an
/// index.
///
/// Data type codes: 0 none, 1 transformation matrix, 2 model (surface, point
/// set or point cloud), 4 image volume, 256 hardware resource. A module's
/// target data type is a bit mask of these codes.
///
/// The class is copyable (both fields are copied) and has no virtual
/// operations, so it can be a second base of a widget class.
class WEXLANCP_EXPORT wViewBase {
public:
    wViewBase() = default;

    /// The data type code of a label, from the first type word that occurs in
    /// it as a case-sensitive substring, tried in the order "PointCloud",
    /// "Points", "Surface" (2), "Matrix" (1), "ImageData" (4), "Hardware" (256).
    /// 0 when no type word occurs.
    static int GetTypeFromStr(const std::string& label);

    /// The one-digit index a label carries between its first "[" and the first
    /// "]" after it, such as 3 in "Hardware [3] Scanner". Exactly one character
    /// must stand between the brackets: a digit gives its value, any other
    /// character 0. -1 when the label carries no such index (no brackets, no
    /// character or more than one between them).
    static int GetIdFromStr(const std::string& label);

    /// A copy of the last error text; empty when nothing failed.
    std::string GetErrMsg() const { return m_errorMessage; }

    /// The controller this panel works for, or null before it was set.
    CWexlanCPEXE* GetBoss() const { return m_boss; }
    void SetBoss(CWexlanCPEXE* boss) { m_boss = boss; }

protected:
    void SetErrMsg(const std::string& text) { m_errorMessage = text; }

private:
    CWexlanCPEXE* m_boss = nullptr;
    std::string m_errorMessage;
};
