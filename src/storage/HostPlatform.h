#pragma once

namespace sweepora {

// True under Wine, whose file calls follow host links where Windows would act on the link.
bool RunningUnderWine();

} // namespace sweepora
