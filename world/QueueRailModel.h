// QueueRailModel: the rail model the ground pass draws along the closed sides of queue cells.
#pragma once

#include "engine/render/SceneObject.h"

#include <string>

class QueueRailModel : public SceneObject
{
public:
    QueueRailModel() : SceneObject(0) {}

    // Takes the model file; an empty name means no rails.
    void SetModelFile(const char* file);
    bool HasModel() const { return !m_File.empty(); }
    const std::string& GetModelFile() const { return m_File; }
    // Draws the model at a scene position turned about the vertical axis.
    void DrawAt(const platform::Vec3& scenePosition, float yaw);
    // How many rails were drawn since the last call (the ground pass's own count).
    uint32_t TakeDrawCount();

private:
    std::string m_File;
    uint32_t m_uDrawn = 0;
};
