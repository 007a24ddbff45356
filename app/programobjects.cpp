#include "app/programobjects.h"

#include <cassert>

#include "perform/session.h"

namespace {

Session* theSession = nullptr;

}  // namespace

void setProgramSession(Session* session)
{
    theSession = session;
}

Session& programSession()
{
    assert(theSession != nullptr);
    return *theSession;
}

TVidize& Performer()
{
    return programSession().performer();
}
