// Player: the account's save record.
#include "world/Player.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "platform/WideText.h"

#include <cmath>

Player::Player(const char16_t* name)
{
    platform::WStrCopy(Name, kNameSize, name ? name : u"");
}

void Player::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteClassHeader("Player", 132);
    stream.WriteWideString("Name", Name);
    stream.WriteFloat("Cash", Cash);
}

bool Player::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char className[128];
    stream.ReadClassHeader(className, sizeof className);
    char16_t name[kNameSize] = {};
    float cash = 0.0f;
    stream.ReadWideString(name, kNameSize);
    stream.ReadFloat(&cash);
    if (!stream.Good())
    {
        GetLogger()->Report(0, "Player::Load - the saved account is cut short");
        return false;
    }
    if (!std::isfinite(cash))
    {
        GetLogger()->Report(0, "Player::Load - the saved cash is not a finite number");
        return false;
    }
    platform::WStrCopy(Name, kNameSize, name);
    Cash = cash;
    return true;
}
