# Warnings on for everything the project builds; kept at zero.
add_compile_options(-Wall -Wextra)
