#include "launcher/remote/Transport.h"

namespace remote {

// Not built yet.
std::unique_ptr<Transport> StartTextTcp(RemoteContext&, std::wstring& problem)
{
    problem = L"not in this build";
    return nullptr;
}

}  // namespace remote
