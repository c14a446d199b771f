# SPDX-License-Identifier: MIT
# Markdown rules for the project's pages.
all
# Prose is wrapped near 100 columns; tables and commands may run longer.
exclude_rule 'MD013'
# Ordered lists may number every item 1.
rule 'MD029', :style => :one_or_ordered
