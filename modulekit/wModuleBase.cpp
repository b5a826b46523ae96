#include "wModuleBase.h"

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wViewerWrapperBase.h"

wModuleBase::wModuleBase() {
    m_SecondaryDataIds.fill(-1);
}

wModuleBase::~wModuleBase() {
    wModuleBase::DeleteViewer();
}

wViewer* wModuleBase::GetCurrentViewer() {
    return m_ViewerWrapper != nullptr ? m_ViewerWrapper->GetViewer() : nullptr;
}

void wModuleBase::DeleteViewer() {
    if (m_ViewerWrapper != nullptr && m_Controller != nullptr) {
        m_Controller->GetRenderers()->SetCaption("Welcome to VARQ");
        m_ViewerWrapper->RemoveViewer();
        m_Controller->GetModules()->SetActivatedModule(-1);
    }
    m_PrimaryDataId = -1;
    for (int i = 0; i < m_NumberOfSecondaryData && i < kMaxSecondaryData; ++i) {
        m_SecondaryDataIds[i] = -1;
    }
    m_NumberOfSecondaryData = 0;
}

void wModuleBase::CoolStart() {}

void wModuleBase::FindData(const std::string& name, int& dataType, int& dataId) const {
    dataType = 0;
    dataId = -1;
    if (m_Controller == nullptr) {
        return;
    }
    m_Controller->Find(name, dataType, dataId);
    if (dataType == wexlan::kHardwareData && dataId >= 0) {
        dataType = m_Controller->GetHardResourceType(dataId);
    }
}

void wModuleBase::SetPrimaryDataByName(const std::string& name) {
    int dataType = 0;
    int dataId = -1;
    FindData(name, dataType, dataId);
    if ((GetCompatibleDataType() & dataType) != 0) {
        SetPrimaryData(dataId);
        m_LastError = NoError;
        m_PrimaryDataId = dataId;
    } else {
        m_LastError = IncompatiblePrimaryData;
    }
}

void wModuleBase::AddSecondaryDataByName(const std::string& name) {
    m_LastError = NoError;
    int dataType = 0;
    int dataId = -1;
    FindData(name, dataType, dataId);
    if (dataType == 0 || dataId < 0) {
        m_LastError = SecondaryDataNotFound;
        return;
    }
    AddSecondaryData(dataType, dataId);
}
