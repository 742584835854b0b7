# shellcheck shell=bash disable=SC2034  # the tables are read by the scripts that source this file
# The third-party source packages of the release builds: Debian package,
# version, SHA-256 of its .dsc (which names the SHA-256 of every file it needs).
# libmad's Debian patch set is not served, only its original tarball: the
# build takes the tarball alone, checked against the .dsc all the same.
PINS=(
  "sdl-mixer1.2 1.2.12-17 be401f8d10dd238288499a4938bb9548ded7e43fa63e0a6e0433261f95d58b30"
  "libmad 0.15.1b-10.1 65a2b394e06fe1de14a790226d36d93e8cf30e1f1c540831420787d1e22a6c10"
  "zlib 1:1.2.13.dfsg-1 3fa1e6b2fc525062aa88207dda52fed8e045373c809d362fe8a2bfbf7cf515a8"
  "libpng1.6 1.6.39-2+deb12u5 7b86211030a34deb6b0a2cd7e1d9db0fe92443fd30cab537fb89b1e7f7c9f188"
  "libjpeg-turbo 1:2.1.5-2 d718ead0dfbcbc8523665c02a7f7152e31039ded641d022868722623bb3b486d"
  "highway 1.0.3-3+deb12u1 e85a23bede87aaf121fc530d30ccfa30d0d9e5620ea51736578620e5d3245401"
  "googletest 1.12.1-0.2 cc90251040c145be18d5090787d9ec79e48217c6cef3ae78eb20f0e31551404c"
  "libsdl2 2.32.4+dfsg-1 b2259e51d2953963d4f81e4b9028d85ffa646d2ac2a657ae19cefc3589d961e7"
)
# Sources the archive does not serve, kept in the shared sources folder
# (QUORVEX_SOURCES, or shared/sources beside the project): file, SHA-256, the
# name of its folder under the cache's src/.
FILE_PINS=(
  "sdl12-compat-release-1.2.68.tar.gz 846deeb27d8cb95eda6941c8ac418b4c11e909aae4baeb6a7ed51a8bed055756 sdl12-compat_1.2.68"
)
