#include "process/tool_owner.h"

namespace {

thread_local ToolOwner *t_owner = nullptr;

}  // namespace

ToolOwnerScope::ToolOwnerScope(ToolOwner *owner) : m_previous(t_owner)
{
    t_owner = owner;
}

ToolOwnerScope::~ToolOwnerScope()
{
    t_owner = m_previous;
}

ToolOwner *ToolOwnerScope::current()
{
    return t_owner;
}
