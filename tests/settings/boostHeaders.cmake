# The float texts are compared with Boost's lexical_cast.
target_link_libraries(${target} PRIVATE Boost::headers)
