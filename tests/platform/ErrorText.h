// Helpers for asserting on what an error message names.
#pragma once

#include "Quill/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace TestSupport {

// The message of the `E` that `action` throws, or "<nothing thrown>".
template< typename E = Quill::Exception, typename Action >
std::string
errorText( Action action ) {
   try {
      action();
   } catch( const E & e ) {
      return e.what();
   }
   return "<nothing thrown>";
}

inline ::testing::AssertionResult
mentions( const std::string & text, const std::string & part ) {
   if( text.find( part ) != std::string::npos ) {
      return ::testing::AssertionSuccess();
   }
   return ::testing::AssertionFailure() << "\"" << text << "\" does not mention \"" << part << "\"";
}

} // namespace TestSupport
