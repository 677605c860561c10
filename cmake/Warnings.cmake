# Warnings on and clean in both builds.
add_compile_options(-Wall -Wextra)
