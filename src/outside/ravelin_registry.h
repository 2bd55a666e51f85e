#pragma once
//! The host's property registry: names of host properties and their numeric ids.
//!
//! Ids are fixed for the life of the process (every registry object answers the same id for a
//! name) and are never 0. Names compare ignoring ASCII letter case.

#include "comlite/dispatch.h"

namespace ravelin {

//! The id a lenient lookup answers for a name the registry does not know.
inline constexpr LONG kNoPropertyId = -1;

//! Flags of IPropertyEnumerationRegistry::FindPropertyID.
enum FindPropertyFlags : LONG {
  kFindOnly = 0,      //!< look the name up, add nothing
  kAddIfMissing = 1,  //!< an unknown name becomes a new property with a new id
};

}  // namespace ravelin

struct IPropertyEnumerationRegistry : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("819DAF69-EC8E-4638-8917-EFA8B54B8DB3");
  //! Strict lookup. RETURNS: DISP_E_UNKNOWNNAME for an unknown name (id becomes
  //! kNoPropertyId), E_INVALIDARG for an empty name, E_POINTER for a null out.
  /*  7 */ virtual HRESULT GetPropertyID(/*[in]*/ BSTR name, /*[out]*/ LONG* id) = 0;
  //! Lenient lookup. RETURNS: S_OK when found (or added), S_FALSE with kNoPropertyId when the
  //! name is unknown and `flags` is kFindOnly; E_INVALIDARG for an empty name or unknown flags.
  /*  8 */ virtual HRESULT FindPropertyID(/*[in]*/ BSTR name, /*[out]*/ LONG* id,
                                          /*[in]*/ LONG flags) = 0;
  //! Name of an id as a new string the caller frees. RETURNS: E_INVALIDARG for an unknown id.
  /*  9 */ virtual HRESULT GetPropertyName(/*[in]*/ LONG id, /*[out]*/ BSTR* name) = 0;
  //! Number of properties known now.
  /* 10 */ virtual HRESULT get_Count(/*[out]*/ LONG* count) = 0;
};
