#pragma once
// A callable passed down for the length of one call, without std::function's copy of it.
#include <type_traits>

namespace tk::platform {

template <typename Signature>
class FunctionRef;

template <typename Result, typename... Args>
class FunctionRef<Result(Args...)> {
public:
    template <typename Callable>
    FunctionRef(Callable&& callable)  // NOLINT: converts like std::function does
        : object_(const_cast<void*>(static_cast<const void*>(&callable))),
          call_([](void* object, Args... args) -> Result {
              return (*static_cast<std::remove_reference_t<Callable>*>(object))(args...);
          }) {}

    Result operator()(Args... args) const { return call_(object_, args...); }

private:
    void* object_;
    Result (*call_)(void*, Args...);
};

}  // namespace tk::platform
