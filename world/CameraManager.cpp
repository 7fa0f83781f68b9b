// CameraManager: the current camera's place (the camera kinds join it later).
#include "world/CameraManager.h"

CameraManager* g_pCameraManager = nullptr;

CameraManager::CameraManager()
{
    g_pCameraManager = this;
}

CameraManager::~CameraManager()
{
    if (g_pCameraManager == this)
        g_pCameraManager = nullptr;
}

void CameraManager::Update() {}
