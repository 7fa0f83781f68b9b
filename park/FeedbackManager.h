// FeedbackManager: the feedback messages of the park, their log and ticker, and the types a scenario suppresses.
#pragma once

#include "world/ParkServices.h"

#include <string>
#include <vector>

class FeedbackManager : public FeedbackService
{
public:
    void SuppressMessageType(const char* type) override { m_Suppressed.emplace_back(type ? type : ""); }
    void Update() override {}
    void ForgetObject(uint32_t /*id*/) override {}

    const std::vector<std::string>& GetSuppressedTypes() const { return m_Suppressed; }

private:
    std::vector<std::string> m_Suppressed;
};
