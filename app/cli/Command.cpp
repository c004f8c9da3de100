#include "Command.h"

#include <new>

#include "app/core/Error.h"

namespace lensara {

int RunCommand(const std::string& command, std::ostream& err, const std::function<int()>& work)
{
  std::string lead = "lensara " + command + ": ";
  try {
    return work();
  } catch (const Interrupted& e) {
    err << lead << "interrupted; " << e.what() << "\n";
    return kExitInterrupted;
  } catch (const UsageError& e) {
    err << lead << e.what() << "\n";
    return kExitUsage;
  } catch (const Error& e) {
    err << lead << e.what() << "\n";
  } catch (const std::bad_alloc&) {
    err << lead << "out of memory\n";
  } catch (const std::exception& e) {
    err << lead << e.what() << "\n";
  }
  return kExitFailure;
}

}  // namespace lensara
