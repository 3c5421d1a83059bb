# VIDSURF_SANITIZE=address,undefined or VIDSURF_SANITIZE=thread builds
# everything with those sanitizers, and makes every finding fatal.
set(VIDSURF_SANITIZE "" CACHE STRING "Sanitizers to build with (e.g. address,undefined or thread)")
if(VIDSURF_SANITIZE)
  add_compile_options(-fsanitize=${VIDSURF_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VIDSURF_SANITIZE})
endif()
