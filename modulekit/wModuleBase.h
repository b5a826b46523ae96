#pragma once

#include <array>
#include <string>

#include "wexlancp_export.h"

class CComponentUI;
class CWexlanCPEXE;
class wViewer;
class wViewerWrapperBase;

/// The base class of a viewer module's main object.
///
/// A module library derives its module class from wModuleBase, creates one
/// object, and drives it from its exported entry points (see CWexlanModules for
/// the entry points and when the control panel calls them). The base class
/// keeps what every module needs: the links to the controller and to the
/// component tab host, the ids of the data items the module shows, the wrapper
/// of its viewer, and the result of the last data assignment.
///
/// Data items are addressed by data type code and index: 2 model, 4 image,
/// 256 hardware resource (the module then receives the data type the
/// resource's library reports). The "ByName" operations look a name up through
/// the controller, so SetController must be called before them, and before a
/// viewer wrapper exists.
///
/// Derived classes write m_ViewerWrapper, m_SecondaryDataIds and
/// m_NumberOfSecondaryData directly; the base class has no setters for them.
class WEXLANCP_EXPORT wModuleBase {
public:
    /// Results of the last data assignment (GetLastError).
    enum AssignmentError {
        NoError = 0,
        IncompatiblePrimaryData = 1,  ///< not found, or not among GetCompatibleDataType()
        SecondaryDataNotFound = 5,
    };
    static constexpr int kMaxSecondaryData = 126;

    wModuleBase();
    /// Copies every member; the links (controller, tab host, viewer wrapper) are
    /// shared, not duplicated.
    wModuleBase(const wModuleBase&) = default;
    wModuleBase& operator=(const wModuleBase&) = default;
    /// Runs this class's DeleteViewer: the viewer is removed and the module is no
    /// longer active in the current render window. It reaches the wrapper and the
    /// controller: a derived class whose wrapper is its own member (destroyed before
    /// this destructor runs) calls DeleteViewer itself and sets m_ViewerWrapper to
    /// null, and the object is destroyed in "ReleaseMemory", while the controller
    /// and its module registry exist (see docs/module-authoring.md).
    virtual ~wModuleBase();

    /// The viewer the wrapper holds; null without a wrapper.
    virtual wViewer* GetCurrentViewer();

    /// Removes the viewer and forgets the data. With a viewer wrapper: the
    /// render window caption becomes "Welcome to VARQ", the wrapper removes its
    /// viewer, and the current render window's active module is cleared. In
    /// every case the primary id and the used secondary ids become -1 and the
    /// secondary count 0. The wrapper link stays, so a second call repeats it.
    virtual void DeleteViewer();

    /// Starts the module without data ("coolstart" command). Does nothing here.
    virtual void CoolStart();

    /// Takes the data item `dataId` as primary data.
    virtual void SetPrimaryData(int dataId) = 0;

    /// Looks `name` up through the controller (models, then images, then
    /// hardware resources by name) and, when its data type is among
    /// GetCompatibleDataType(), calls SetPrimaryData(index) and remembers the
    /// index. GetLastError() then gives NoError, else IncompatiblePrimaryData
    /// (the primary id stays as it was).
    virtual void SetPrimaryDataByName(const std::string& name);

    /// The bit mask of data type codes the module takes as primary data.
    virtual int GetCompatibleDataType() = 0;

    /// Adds the data item (data type code, index) as secondary data; keeping
    /// m_SecondaryDataIds and m_NumberOfSecondaryData is the derived class's job.
    virtual void AddSecondaryData(int dataType, int dataId) = 0;

    /// Looks `name` up through the controller and calls AddSecondaryData with
    /// its data type and index, without a compatibility check. GetLastError()
    /// gives SecondaryDataNotFound when no item bears the name.
    virtual void AddSecondaryDataByName(const std::string& name);

    /// Redraws the module's view after its data changed. Hosts may call it; the
    /// control panel itself never does.
    virtual void Refresh() = 0;

    int GetLastError() const { return m_LastError; }
    void ResetErrMsg() { m_LastError = NoError; }

    CWexlanCPEXE* GetController() const { return m_Controller; }
    void SetController(CWexlanCPEXE* controller) { m_Controller = controller; }

    CComponentUI* GetParentUI() const { return m_ParentUI; }
    void SetParentUI(CComponentUI* parent) { m_ParentUI = parent; }

    int GetPrimaryDataId() const { return m_PrimaryDataId; }
    int GetNumberOfSecondaryData() const { return m_NumberOfSecondaryData; }
    /// Entry i of the secondary table; i must be below kMaxSecondaryData.
    int GetSecondaryDataId(int i) const { return m_SecondaryDataIds[i]; }

    static int GetCompatibleDataType2() { return 0; }

protected:
    /// Finds a data item by name through the controller; a hardware resource
    /// comes back with the data type its library reports.
    void FindData(const std::string& name, int& dataType, int& dataId) const;

    int m_LastError = NoError;
    int m_Integer = 0;  ///< free for derived classes
    wViewerWrapperBase* m_ViewerWrapper = nullptr;
    CComponentUI* m_ParentUI = nullptr;
    CWexlanCPEXE* m_Controller = nullptr;
    int m_PrimaryDataId = -1;
    std::array<int, kMaxSecondaryData> m_SecondaryDataIds;
    int m_NumberOfSecondaryData = 0;
    std::array<int, 4> m_Settings{{10, 10, 10, 10}};  ///< free for derived classes
};
