// The framework's errors. They are thrown, and the plug-in lets them through.
#pragma once

#include "Quill/Types.h"

#include <stdexcept>
#include <string>

namespace Quill {

class Exception : public std::runtime_error {
 public:
   using std::runtime_error::runtime_error;
};

// An owned child was instantiated again with inputs other than its own.
class MutatorReinstantiatingException : public Exception {
 public:
   MutatorReinstantiatingException( const std::string & typeName, AttributeId attributeId, const std::string & current,
                                    const std::string & passed );
   const std::string & typeName() const noexcept { return typeName_; }
   AttributeId attributeId() const noexcept { return attributeId_; }

 private:
   std::string typeName_;
   AttributeId attributeId_;
};

// An entity factory was given constructor arguments it does not take.
class NewEntityArgsException : public Exception {
 public:
   using Exception::Exception;
};

// A typed value outside its range.
class RangeException : public Exception {
 public:
   using Exception::Exception;
};

// Text that does not parse as the value it should represent.
class ParseException : public Exception {
 public:
   using Exception::Exception;
};

// A hash was asked of a type that has none.
class NoHashException : public Exception {
 public:
   using Exception::Exception;
};

// A type name or attribute the registry does not know.
class UnknownTypeException : public Exception {
 public:
   using Exception::Exception;
};

namespace Impl {
[[noreturn]] void throwMutatorReinstantiating( const std::string & typeName, AttributeId attributeId,
                                               const std::string & current, const std::string & passed );
}
[[noreturn]] void throwNewEntityArgsException( const std::string & typeName );
[[noreturn]] void throwRangeException( const std::string & text );

} // namespace Quill
