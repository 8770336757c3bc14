// oplexa-host's whole run, which `oplexa print` and `oplexa replay` share.
#pragma once

namespace host
{
int hostMain(int argc, char** argv);
} // namespace host
