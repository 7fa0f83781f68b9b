// StaticObject: creation, the busy queries, message refusal and the static part of the save record.
#include "world/StaticObject.h"

#include "engine/core/SerialStream.h"
#include "scripts/ObjectStates.h"

void StaticObject::Create(const char* name)
{
    BaseObject::Create(name);
    m_bGridW = 0;
    m_bGridH = 0;
    m_bCleaning = false;
    m_bRepairing = false;
    m_bCalledCleaning = false;
    m_bCalledRepairing = false;
    m_bCleanerCalledByPlayer = false;
    m_bMechanicCalledByPlayer = false;
}

bool StaticObject::Update()
{
    return BaseObject::Update();
}

bool StaticObject::Message(const MessageRecord& record)
{
    if (record.dwType == MT_NUM_MESSAGES)
        return false;
    return BaseObject::Message(record);
}

bool StaticObject::SetMechanicCalledByPlayer(bool called)
{
    m_bMechanicCalledByPlayer = called;
    return m_bMechanicCalledByPlayer;
}

bool StaticObject::IsRepairBusy() const
{
    return m_dwState == STATE_OCCUPIED || m_bRepairing;
}

bool StaticObject::IsCleaningBusy() const
{
    return m_dwState == STATE_OCCUPIED || m_bCleaning;
}

void StaticObject::Dump(SerialStream& stream)
{
    stream.WriteByte("m_bGridW", m_bGridW);
    stream.WriteByte("m_bGridH", m_bGridH);
    stream.WriteBool("m_bCleaning", m_bCleaning);
    stream.WriteBool("m_bRepairing", m_bRepairing);
    stream.WriteBool("m_bCalledCleaning", m_bCalledCleaning);
    stream.WriteBool("m_bCalledRepairing", m_bCalledRepairing);
    stream.WriteBool("m_bCleanerCalledByPlayer", m_bCleanerCalledByPlayer);
    stream.WriteBool("m_bMechanicCalledByPlayer", m_bMechanicCalledByPlayer);
    BaseObject::Dump(stream);
}

bool StaticObject::Load(SerialStream& stream)
{
    stream.ReadByte(&m_bGridW);
    stream.ReadByte(&m_bGridH);
    stream.ReadBool(&m_bCleaning);
    stream.ReadBool(&m_bRepairing);
    stream.ReadBool(&m_bCalledCleaning);
    stream.ReadBool(&m_bCalledRepairing);
    stream.ReadBool(&m_bCleanerCalledByPlayer);
    stream.ReadBool(&m_bMechanicCalledByPlayer);
    return BaseObject::Load(stream);
}
