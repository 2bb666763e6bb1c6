#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <utility>

// An event handler that can be compared with another one. The controller hands a new handler
// only to the devices whose handler equals its previous one, so handlers need an identity:
// - a handler made from an object and one of its member functions equals every handler made
//   from the same pair, the way method references compare;
// - a handler made from any other callable equals only its own copies;
// - empty handlers equal each other.
template <typename Signature>
class THidHandler;

template <typename R, typename... Args>
class THidHandler<R(Args...)> {
public:
    THidHandler() = default;
    THidHandler(std::nullptr_t) {}

    template <typename F,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, THidHandler> &&
                                          !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                          std::is_invocable_r_v<R, F&, Args...>>>
    THidHandler(F callable)
        : m_call(std::make_shared<const std::function<R(Args...)>>(std::move(callable)))
    {
        m_object = m_call.get();
    }

    template <typename Object, typename Method>
    THidHandler(Object* object, Method method)
        : m_call(std::make_shared<const std::function<R(Args...)>>(
              [object, method](Args... args) -> R { return (object->*method)(std::forward<Args>(args)...); })),
          m_object(object),
          m_methodType(&typeid(Method))
    {
        static_assert(std::is_member_function_pointer_v<Method>, "a handler is an object and a member function");
        static_assert(sizeof(Method) <= sizeof(m_method));
        std::memcpy(m_method.data(), &method, sizeof(Method));
    }

    explicit operator bool() const { return m_call != nullptr; }

    R operator()(Args... args) const { return (*m_call)(std::forward<Args>(args)...); }

    friend bool operator==(const THidHandler& a, const THidHandler& b)
    {
        if (a.m_object != b.m_object || a.m_method != b.m_method)
            return false;
        if (a.m_methodType == nullptr || b.m_methodType == nullptr)
            return a.m_methodType == b.m_methodType;
        return *a.m_methodType == *b.m_methodType;
    }

private:
    std::shared_ptr<const std::function<R(Args...)>> m_call;
    const void* m_object = nullptr;
    const std::type_info* m_methodType = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> m_method{};
};
