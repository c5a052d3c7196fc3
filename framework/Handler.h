#pragma once

namespace framework {

// A method pointer: the code to run and the object it runs on. A handler without code is empty and
// is never run.
struct THandler {
  void (*Code)(void* object, void* sender) = nullptr;
  void* Object = nullptr;

  bool Empty() const { return Code == nullptr; }
  // Runs the code with its object first and no sender.
  void Run() const {
    if (Code)
      Code(Object, nullptr);
  }
};

// The handler that runs object.*Method().
template <class T, void (T::*Method)()>
THandler MakeHandler(T& object) {
  return THandler{[](void* self, void*) { (static_cast<T*>(self)->*Method)(); }, &object};
}

}  // namespace framework
