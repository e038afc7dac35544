#include "launcher/remote/Transport.h"

namespace remote {

// Not built yet.
std::unique_ptr<Transport> StartTextUdp(RemoteContext&, std::wstring& problem)
{
    problem = L"not in this build";
    return nullptr;
}

}  // namespace remote
